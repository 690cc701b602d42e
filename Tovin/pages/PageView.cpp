#include "Tovin/pages/PageView.h"

#include <QEvent>
#include <cmath>
#include <utility>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PageStackView.h"

namespace tovin {

PageView::PageView(QWidget* host) : QObject(host), host_(host) {
    if (host_) host_->installEventFilter(this);
}

bool PageView::isOn() const {
    return area_ && area_->isVisible();
}

PageStackView* PageView::stack() const {
    return isOn() ? qobject_cast<PageStackView*>(area_->widget()) : nullptr;
}

void PageView::show(rovuvuz::DocxDocument& document) {
    if (!host_) return;
    if (!area_) {
        area_ = new QScrollArea(host_);
        area_->setFrameShape(QFrame::NoFrame);
        area_->setWidgetResizable(false);
        area_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        // It takes the keys while it shows (scrolling them), so that none reaches the text.
        area_->setFocusPolicy(Qt::StrongFocus);
        area_->viewport()->installEventFilter(this);
    }
    auto pages = std::make_shared<const PageLayout>(document);
    auto* stack = new PageStackView(std::move(pages));
    stack->setZoom(zoom_);
    area_->setWidget(stack);
    area_->setGeometry(host_->rect());
    area_->show();
    area_->raise();
    area_->setFocus();
    fit();
}

void PageView::setZoom(qreal zoom) {
    const qreal before = zoom_;
    zoom_ = zoom;
    const std::optional<QPointF> anchor = std::exchange(zoomAnchor_, std::nullopt);
    if (!area_) return;
    auto* view = qobject_cast<PageStackView*>(area_->widget());
    if (!view) return;
    QScrollBar* bar = area_->verticalScrollBar();
    const QWidget* viewport = area_->viewport();
    const QPointF at = anchor.value_or(QPointF(viewport->width() / 2.0, viewport->height() / 2.0));
    // The page point under `at`, measured past the gaps, which keep their size.
    const qreal y = bar->value() + at.y();
    const qreal stride = view->pages().pages().empty() ? 1 : qreal(view->height() - PageStackView::gap) /
                                                                 qreal(view->pages().pages().size());
    const qreal page = std::floor(std::max<qreal>(0, y - PageStackView::gap) / stride);
    const qreal within = std::max<qreal>(0, y - PageStackView::gap - page * stride) / (stride - PageStackView::gap);
    view->setZoom(zoom);
    fit();
    if (before == zoom) return;
    const qreal newStride = qreal(view->height() - PageStackView::gap) / qreal(std::max<size_t>(1, view->pages().pages().size()));
    const qreal newY = PageStackView::gap + page * newStride + within * (newStride - PageStackView::gap);
    bar->setValue(int(std::lround(newY - at.y())));
}

bool PageView::zoomByWheel(const QWheelEvent& wheel) {
    if (!(wheel.modifiers() & Qt::ControlModifier)) return false;
    if (wheel.angleDelta().y() != 0) {
        zoomAnchor_ = wheel.position();
        Q_EMIT zoomStep(wheel.angleDelta().y() > 0 ? 1 : -1);
    }
    return true;
}

void PageView::hide() {
    if (!area_) return;
    area_->hide();
    // The layout is rebuilt from the document the next time: drop this one now.
    delete area_->takeWidget();
    if (host_) host_->setFocus();
}

void PageView::fit() {
    if (!area_) return;
    if (auto* view = qobject_cast<PageStackView*>(area_->widget()))
        view->resize(view->sizeFor(area_->viewport()->width()));
}

bool PageView::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+wheel zooms rather than scrolls (a scroll area pages with it).
    if (event->type() == QEvent::Wheel && area_ && watched == area_->viewport() &&
        zoomByWheel(*static_cast<QWheelEvent*>(event)))
        return true;
    if (event->type() == QEvent::Resize) {
        if (watched == host_ && area_) area_->setGeometry(host_->rect());
        if (area_ && watched == area_->viewport()) fit();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tovin
