#include "Tovin/pages/PageStackView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "Tovin/pages/PageLayout.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

// The shadow under each page: black at 0.12, blurred over 6 points, one point lower.
constexpr int shadowAlpha = 31;
constexpr qreal shadowBlur = 6;
constexpr qreal shadowDrop = 1;

void drawShadow(QPainter& painter, const QRectF& page) {
    // A blur drawn as rings of falling opacity around the page.
    painter.save();
    painter.setPen(Qt::NoPen);
    const QRectF dropped = page.translated(0, shadowDrop);
    for (int ring = static_cast<int>(shadowBlur); ring >= 1; --ring) {
        const qreal fraction = 1 - ring / (shadowBlur + 1);
        painter.setBrush(QColor(0, 0, 0, static_cast<int>(shadowAlpha * fraction * fraction / 2)));
        painter.drawRoundedRect(dropped.adjusted(-ring, -ring, ring, ring), ring, ring);
    }
    painter.restore();
}

}  // namespace

PageStackView::PageStackView(std::shared_ptr<const PageLayout> pages, QWidget* parent)
    : QWidget(parent), pages_(std::move(pages)), largest_(largestPage()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// Pages of different sections may differ in size: each stands in a slot of the largest.
QSizeF PageStackView::largestPage() const {
    QSizeF largest;
    const int count = static_cast<int>(pages_->pages().size());
    for (int page = 0; page < count; ++page) largest = largest.expandedTo(pages_->pageSize(page));
    return largest;
}

void PageStackView::setZoom(qreal zoom) {
    zoom_ = zoom;
    update();
}

QSizeF PageStackView::shownPageSize() const {
    return largest_ * zoom_;
}

qreal PageStackView::stride() const {
    return shownPageSize().height() + gap;
}

QSize PageStackView::sizeFor(int availableWidth) const {
    const QSizeF page = shownPageSize();
    const qreal width = std::max<qreal>(availableWidth, page.width() + 2 * gap);
    const qreal height = stride() * static_cast<qreal>(pages_->pages().size()) + gap;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(std::min<qreal>(height, 1e8)))};
}

std::pair<int, int> PageStackView::pagesIn(qreal top, qreal bottom) const {
    const int count = static_cast<int>(pages_->pages().size());
    const int first = std::max(0, static_cast<int>(std::floor((top - gap) / stride())));
    const int last = std::min(count - 1, static_cast<int>(std::floor(bottom / stride())));
    return {first, last};
}

QPointF PageStackView::pageOrigin(int page) const {
    const qreal x = std::floor((width() - pages_->pageSize(page).width() * zoom_) / 2);
    return {x, stride() * page + gap};
}

void PageStackView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRectF dirty = event->rect();
    painter.fillRect(dirty, palette().color(QPalette::Window).darker(Theme::isDark(palette()) ? 80 : 108));
    painter.setRenderHint(QPainter::Antialiasing);
    const auto [first, last] = pagesIn(dirty.top(), dirty.bottom());
    for (int page = first; page <= last; ++page) {
        const QPointF origin = pageOrigin(page);
        const QRectF frame(origin, pages_->pageSize(page) * zoom_);
        drawShadow(painter, frame);
        painter.save();
        painter.translate(origin);
        painter.scale(zoom_, zoom_);
        pages_->draw(painter, page, QPointF());
        painter.restore();
    }
}

}  // namespace tovin
