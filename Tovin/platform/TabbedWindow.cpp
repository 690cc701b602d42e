#include "Tovin/platform/TabbedWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "Tovin/commands/MainMenu.h"
#include "Tovin/platform/UserDefaults.h"

namespace tovin {

namespace {

QList<TabbedWindow*>& windows() {
    static QList<TabbedWindow*> list;  // most recently active first
    return list;
}

QString frameKey(const QString& name) {
    return QStringLiteral("NSWindow Frame ") + name;
}

}  // namespace

TabbedWindow::TabbedWindow(QWidget* parent) : QMainWindow(parent), tabs_(new QTabWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    tabs_->setDocumentMode(true);
    tabs_->setTabsClosable(true);
    tabs_->setMovable(true);
    tabs_->setTabBarAutoHide(true);  // a window with one document shows no tab bar
    setCentralWidget(tabs_);
    setMenuBar(MainMenu::build().makeMenuBar(this));
    connect(tabs_, &QTabWidget::tabCloseRequested, this, [this](int index) {
        if (QWidget* page = tabs_->widget(index)) page->close();
    });
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        updateTitle();
        MainMenu::build().scheduleValidation();
    });
    windows().prepend(this);
}

TabbedWindow::~TabbedWindow() {
    windows().removeAll(this);
    MainMenu::build().scheduleValidation();
}

TabbedWindow* TabbedWindow::frontmost() {
    for (TabbedWindow* window : windows()) {
        if (window->isVisible() && !window->isMinimized()) return window;
    }
    return nullptr;
}

QList<TabbedWindow*> TabbedWindow::all() {
    return windows();
}

void TabbedWindow::addPage(QWidget* page) {
    page->installEventFilter(this);
    tabs_->addTab(page, page->windowTitle());
    showPage(page);
}

QWidget* TabbedWindow::currentPage() const {
    return tabs_->currentWidget();
}

QList<QWidget*> TabbedWindow::pages() const {
    QList<QWidget*> list;
    for (int i = 0; i < tabs_->count(); ++i) list.append(tabs_->widget(i));
    return list;
}

void TabbedWindow::showPage(QWidget* page) {
    tabs_->setCurrentWidget(page);
    updateTitle();
}

bool TabbedWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::ModifiedChange) {
        auto* page = qobject_cast<QWidget*>(watched);
        const int index = tabs_->indexOf(page);
        if (index >= 0) {
            tabs_->setTabText(index, page->windowTitle() + (page->isWindowModified() ? " •" : ""));
            updateTitle();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TabbedWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        windows().removeAll(this);
        windows().prepend(this);
        MainMenu::build().scheduleValidation();
    }
    if (event->type() == QEvent::WindowStateChange) MainMenu::build().scheduleValidation();
    QMainWindow::changeEvent(event);
}

void TabbedWindow::closeEvent(QCloseEvent* event) {
    // Every document is asked; a page that refuses (its save failed) keeps the window open.
    for (QWidget* page : pages()) page->close();
    if (tabs_->count() > 0) {
        event->ignore();
        return;
    }
    saveFrame();
    event->accept();
}

void TabbedWindow::removePage(QWidget* page) {
    const int index = tabs_->indexOf(page);
    if (index < 0) return;
    page->removeEventFilter(this);
    tabs_->removeTab(index);
    page->hide();
    updateTitle();
    // A window without documents goes away, but not from inside the page's own event.
    if (tabs_->count() == 0)
        QTimer::singleShot(0, this, [this] {
            if (tabs_->count() == 0) close();
        });
}

void TabbedWindow::updateTitle() {
    QWidget* page = currentPage();
    // "[*]" is where Qt shows the modified mark.
    setWindowTitle(page ? page->windowTitle() + "[*]" : QStringLiteral("Tovin"));
    setWindowModified(page && page->isWindowModified());
}

bool TabbedWindow::setFrameAutosaveName(const QString& name) {
    frameName_ = name;
    const QByteArray saved = UserDefaults::value(frameKey(name)).toByteArray();
    return !saved.isEmpty() && restoreGeometry(saved);
}

void TabbedWindow::saveFrame() {
    if (!frameName_.isEmpty() && isVisible()) UserDefaults::setValue(frameKey(frameName_), saveGeometry());
}

void TabbedWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    saveFrame();
}

void TabbedWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    saveFrame();
}

void TabbedWindow::minimizeFrontmost() {
    if (TabbedWindow* window = frontmost()) window->showMinimized();
}

void TabbedWindow::zoomFrontmost() {
    if (TabbedWindow* window = frontmost())
        window->isMaximized() ? window->showNormal() : window->showMaximized();
}

void TabbedWindow::toggleFullScreen() {
    if (TabbedWindow* window = frontmost())
        window->isFullScreen() ? window->showNormal() : window->showFullScreen();
}

bool TabbedWindow::fullScreenState(QAction& item) {
    TabbedWindow* window = frontmost();
    item.setText(window && window->isFullScreen() ? "Exit Full Screen" : "Enter Full Screen");
    return window != nullptr;
}

void TabbedWindow::arrangeInFront() {
    const QList<TabbedWindow*> list = windows();
    for (auto it = list.rbegin(); it != list.rend(); ++it) (*it)->raise();
    if (!list.isEmpty()) list.front()->activateWindow();
}

QList<QAction*> TabbedWindow::windowItems(QObject* owner) {
    QList<QAction*> items;
    for (TabbedWindow* window : windows()) {
        auto* item = new QAction(window->windowTitle().remove("[*]"), owner);
        item->setCheckable(true);
        item->setChecked(window == frontmost());
        QPointer<TabbedWindow> target(window);
        QObject::connect(item, &QAction::triggered, item, [target] {
            if (!target) return;
            target->showNormal();
            target->raise();
            target->activateWindow();
        });
        items.append(item);
    }
    return items;
}

void TabbedWindow::closeCurrentPage() {
    TabbedWindow* window = frontmost();
    if (QWidget* page = window ? window->currentPage() : nullptr) page->close();
}

}  // namespace tovin
