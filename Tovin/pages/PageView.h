// View > Page (Approximate) and Draft for one window: the page stack shown over the
// document's editable column, in a scroll area of its own that covers the column while the
// page view is on. The column underneath keeps its text, selection and scroll position.
#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <optional>
#include <memory>

class QScrollArea;
class QWheelEvent;
class QWidget;

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

class PageLayout;
class PageStackView;

class PageView : public QObject {
    Q_OBJECT
  public:
    // `host` is the editable column the page view covers.
    explicit PageView(QWidget* host);

    bool isOn() const;
    // Lays the document out again and shows its pages.
    void show(rovuvuz::DocxDocument& document);
    // Back to the column.
    void hide();
    // The stack shown, while the page view is on.
    PageStackView* stack() const;
    // The window's zoom level, for the pages shown now and later. The point of the pages
    // at the middle of the area (or where the last Ctrl+wheel pointed) stays in place.
    void setZoom(qreal zoom);

  Q_SIGNALS:
    // Ctrl+wheel over the pages: one level up (1) or down (-1), as over the draft's text.
    void zoomStep(int direction);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fit();
    bool zoomByWheel(const QWheelEvent& wheel);

    QPointer<QWidget> host_;
    QPointer<QScrollArea> area_;
    qreal zoom_ = 1;
    std::optional<QPointF> zoomAnchor_;  // in the area's viewport, from the last Ctrl+wheel
};

}  // namespace tovin
