// View > Page (Approximate) and Draft for one window: the page stack shown over the
// document's editable column, in a scroll area of its own that covers the column while the
// page view is on. The column underneath keeps its text, selection and scroll position.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class QScrollArea;
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
    // The window's zoom level, for the pages shown now and later.
    void setZoom(qreal zoom);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fit();

    QPointer<QWidget> host_;
    QPointer<QScrollArea> area_;
    qreal zoom_ = 1;
};

}  // namespace tovin
