// The document as pages: the body story laid out in a column of the page's width and cut
// into pages of its body height, each drawn with the default header and footer. Built on
// demand (page view, printing, PDF) and read-only. Everything is in display points, 1.25
// times the document's size; a page is pageSize() large.
#pragma once

#include <QPointF>
#include <QSizeF>
#include <memory>
#include <vector>

#include "RovuVuz/format/Sections.h"
#include "Tovin/pages/FlowLayout.h"
#include "Tovin/pages/PageText.h"
#include "Tovin/pages/Pagination.h"
#include "Tovin/pages/WordLineHeights.h"

class QPainter;

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

class PageLayout {
  public:
    // Lays the document out and paginates it; pages() is never empty.
    explicit PageLayout(rovuvuz::DocxDocument& document);

    const rovuvuz::PageSetup& setup() const { return setup_; }
    const std::vector<Page>& pages() const { return pages_; }
    QSizeF pageSize() const;
    qreal bodyTop() const { return bodyTop_; }
    qreal bodyHeight() const { return bodyHeight_; }
    qreal columnWidth() const { return columnWidth_; }
    bool sumsSpacing() const { return sumsSpacing_; }
    const FlowLayout& body() const { return *bodyLayout_; }

    // Draws one page, its header and footer with the page's top left at `at`.
    void draw(QPainter& painter, int page, QPointF at) const;

    // The narrowest column the body is given, display points.
    static constexpr qreal narrowestColumn = 36;

  private:
    struct Band {
        PageText text;
        std::unique_ptr<FlowLayout> layout;
    };
    std::unique_ptr<Band> band(rovuvuz::DocxDocument& document, const std::optional<rovuvuz::StoryID>& story);

    rovuvuz::PageSetup setup_;
    qreal bodyTop_ = 0;
    qreal bodyHeight_ = 0;
    qreal columnWidth_ = 0;
    bool sumsSpacing_ = false;
    WordLineHeights heights_;
    PageText body_;
    std::unique_ptr<FlowLayout> bodyLayout_;
    std::unique_ptr<Band> header_;
    std::unique_ptr<Band> footer_;
    std::vector<Page> pages_;
};

}  // namespace tovin
