// The page view: every page of a PageLayout in a vertical stack, each on its shadow, centred
// in the view's width. Only the pages that reach into the area being repainted are drawn,
// so a long document scrolls as fast as a short one. Read-only.
#pragma once

#include <QWidget>
#include <memory>

namespace tovin {

class PageLayout;

class PageStackView : public QWidget {
    Q_OBJECT
  public:
    explicit PageStackView(std::shared_ptr<const PageLayout> pages, QWidget* parent = nullptr);

    const PageLayout& pages() const { return *pages_; }
    // The size the view wants at an available width: wide enough for a page and its
    // margins, tall enough for every page.
    QSize sizeFor(int availableWidth) const;
    // The pages the area [top, bottom) shows, as [first, last]; first > last when none.
    std::pair<int, int> pagesIn(qreal top, qreal bottom) const;
    // The top left of a page in the view.
    QPointF pageOrigin(int page) const;

    static constexpr qreal gap = 32;  // above each page and below the last

    // The window's zoom level: pages are drawn this much larger (the gaps stay).
    void setZoom(qreal zoom);
    qreal zoom() const { return zoom_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    qreal stride() const;
    QSizeF largestPage() const;
    QSizeF shownPageSize() const;
    std::shared_ptr<const PageLayout> pages_;
    QSizeF largest_;
    qreal zoom_ = 1;
};

}  // namespace tovin
