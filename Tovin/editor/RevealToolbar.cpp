#include "Tovin/editor/RevealToolbar.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEasingCurve>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QToolButton>

#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {
constexpr int slideMs = 300;
}

RevealToolbar::RevealToolbar(EditorViewController* editor, QWidget* host)
    : QWidget(host),
      editor_(editor),
      draft_(new QToolButton(this)),
      page_(new QToolButton(this)),
      track_(new QCheckBox(this)),
      share_(new QPushButton(QStringLiteral("Share"), this)),
      slide_(new QPropertyAnimation(this, "pos", this)) {
    setObjectName(QStringLiteral("RevealToolbar"));
    setAutoFillBackground(true);
    setFixedHeight(barHeight);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->setSpacing(10);
    auto* segments = new QButtonGroup(this);
    segments->setExclusive(true);
    for (auto [button, title] : {std::pair{draft_, "Draft"}, std::pair{page_, "Page"}}) {
        button->setText(QString::fromLatin1(title));
        button->setCheckable(true);
        segments->addButton(button);
        layout->addWidget(button);
    }
    layout->addSpacing(10);
    layout->addStretch(1);
    auto* label = new QLabel(QStringLiteral("Track my edits"), this);
    label->setFont(Theme::systemFont(12));
    layout->addWidget(label);
    layout->addWidget(track_);
    share_->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: white; border-radius: 6px; padding: 3px 10px; }")
            .arg(Theme::cobalt.resolve(palette()).name()));
    layout->addWidget(share_);

    // The segments and Share go through the menu's commands, so they do exactly what the
    // menu items do.
    connect(draft_, &QToolButton::clicked, this, [this] {
        if (editor_ && editor_->isPageView()) MainMenu::build().trigger(Command::showDraft);
    });
    connect(page_, &QToolButton::clicked, this, [this] {
        if (editor_ && !editor_->isPageView()) MainMenu::build().trigger(Command::togglePageView);
        sync();
    });
    connect(track_, &QCheckBox::clicked, this, [this](bool on) {
        if (editor_) editor_->document()->setTrackChanges(on);
    });
    connect(share_, &QPushButton::clicked, this, [] { MainMenu::build().trigger(Command::share); });

    slide_->setDuration(slideMs);
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.2, 0.9), QPointF(0.3, 1.0), QPointF(1, 1));
    slide_->setEasingCurve(curve);
    connect(slide_, &QPropertyAnimation::finished, this, [this] {
        if (!shown_) hide();
    });
    hoverTask_.setSingleShot(true);
    hoverTask_.setInterval(revealDelayMs);
    connect(&hoverTask_, &QTimer::timeout, this, [this] { setShown(true); });
    host->installEventFilter(this);
    hide();
}

void RevealToolbar::watch(QWidget* view) {
    view->setMouseTracking(true);
    view->installEventFilter(this);
}

QPoint RevealToolbar::restingPlace(bool shown) const {
    return {0, shown ? 0 : -barHeight};
}

void RevealToolbar::setPinned(bool pinned) {
    pinned_ = pinned;
    setShown(pinned);
}

void RevealToolbar::setShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    sync();
    if (shown) {
        resize(parentWidget()->width(), barHeight);
        move(restingPlace(false));
        show();
        raise();
    }
    slide_->stop();
    slide_->setStartValue(pos());
    slide_->setEndValue(restingPlace(shown));
    slide_->start();
}

void RevealToolbar::sync() {
    if (!editor_) return;
    (editor_->isPageView() ? page_ : draft_)->setChecked(true);
    track_->setChecked(editor_->document() && editor_->document()->trackChanges());
    share_->setEnabled(editor_->document() && !editor_->document()->filePath().isEmpty());
}

void RevealToolbar::pointerAt(const QPoint& inHost) {
    const bool hot = inHost.y() >= 0 && inHost.y() <= hotZone;
    const bool onBar = shown_ && geometry().contains(inHost);
    if (hot || onBar) {
        if (!shown_ && !hoverTask_.isActive()) hoverTask_.start();
        return;
    }
    hoverTask_.stop();
    if (!pinned_) setShown(false);
}

bool RevealToolbar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize && isVisible()) resize(parentWidget()->width(), barHeight);
        if (event->type() == QEvent::Leave) pointerAt(QPoint(-1, -1));
    }
    if (event->type() == QEvent::MouseMove) {
        const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        pointerAt(parentWidget()->mapFromGlobal(global));
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tovin
