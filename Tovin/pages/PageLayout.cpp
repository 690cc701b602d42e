#include "Tovin/pages/PageLayout.h"

#include <QPainter>
#include <algorithm>
#include <exception>

#include "RovuVuz/document/DocxDocument.h"

namespace tovin {

namespace {

// Pages are drawn as on paper, in the light colours whatever the desktop's.
QPalette paperPalette() {
    return QPalette(Qt::white);
}

AttributedBuilder builderFor(rovuvuz::DocxDocument& document, rovuvuz::StoryID story, qreal width) {
    AttributedBuilder builder(&document, std::move(story), width);
    builder.palette = paperPalette();
    return builder;
}

std::vector<rovuvuz::BlockSnapshot> blocksOf(rovuvuz::DocxDocument& document, const rovuvuz::StoryID& story) {
    try {
        return document.snapshot(story).blocks;
    } catch (const std::exception&) {
        // A story that cannot be read shows nothing.
        return {};
    }
}

}  // namespace

PageLayout::PageLayout(rovuvuz::DocxDocument& document)
    : setup_(document.pageSetup()), sumsSpacing_(document.sumsParagraphSpacing()) {
    const qreal k = displayScale;
    bodyHeight_ = std::max((setup_.height - setup_.top - setup_.bottom) * k, Pagination::smallestBodyHeight);
    bodyTop_ = std::max<qreal>(0, std::min(setup_.top * k, setup_.height * k - bodyHeight_));
    columnWidth_ = std::max((setup_.width - setup_.left - setup_.right) * k, narrowestColumn);

    const rovuvuz::StoryID story = rovuvuz::StoryID::body();
    body_ = PageText::assemble(blocksOf(document, story), builderFor(document, story, columnWidth_),
                               sumsSpacing_);
    bodyLayout_ =
        std::make_unique<FlowLayout>(FlowLayout::lay(body_, columnWidth_, heights_, FlowLayout::Units::body));
    header_ = band(document, document.defaultHeader());
    footer_ = band(document, document.defaultFooter());
    pages_ = Pagination::paginate(std::move(bodyLayout_->units()), bodyHeight_, bodyLayout_->firstSpace());
}

std::unique_ptr<PageLayout::Band> PageLayout::band(rovuvuz::DocxDocument& document,
                                                   const std::optional<rovuvuz::StoryID>& story) {
    if (!story) return nullptr;
    const auto blocks = blocksOf(document, *story);
    if (blocks.empty()) return nullptr;
    auto out = std::make_unique<Band>();
    out->text = PageText::assemble(blocks, builderFor(document, *story, columnWidth_), sumsSpacing_);
    out->layout = std::make_unique<FlowLayout>(
        FlowLayout::lay(out->text, columnWidth_, heights_, FlowLayout::Units::none));
    return out;
}

QSizeF PageLayout::pageSize() const {
    return {setup_.width * displayScale, setup_.height * displayScale};
}

void PageLayout::draw(QPainter& painter, int index, QPointF at) const {
    if (index < 0 || index >= static_cast<int>(pages_.size())) return;
    const Page& page = pages_[index];
    const qreal k = displayScale;
    painter.save();
    painter.fillRect(QRectF(at, pageSize()), Qt::white);
    painter.setPen(Qt::black);
    const qreal x = at.x() + setup_.left * k;

    if (header_) header_->layout->drawAll(painter, QPointF(x, at.y() + setup_.header * k));

    painter.save();
    if (page.clip) painter.setClipRect(QRectF(x - 2, at.y() + bodyTop_, columnWidth_ + 4, bodyHeight_));
    bodyLayout_->draw(painter, QPointF(x, at.y() + bodyTop_ - page.top), page.lines, page.top, page.bottom,
                      page.clip);
    painter.restore();

    if (footer_) {
        const qreal h = footer_->layout->height();
        footer_->layout->drawAll(painter, QPointF(x, at.y() + setup_.height * k - setup_.footer * k - h));
    }
    painter.restore();
}

}  // namespace tovin
