#include "Tovin/pages/PageView.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>

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
    zoom_ = zoom;
    if (!area_) return;
    if (auto* view = qobject_cast<PageStackView*>(area_->widget())) view->setZoom(zoom);
    fit();
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
    if (event->type() == QEvent::Resize) {
        if (watched == host_ && area_) area_->setGeometry(host_->rect());
        if (area_ && watched == area_->viewport()) fit();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tovin
