#include "Tovin/EditorWindowController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QScreen>
#include <cmath>

#include "RovuVuz/DocxDocument.h"
#include "RovuVuz/Sections.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/editor/DisplayUnits.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin {

EditorWindowController::EditorWindowController(TovinDocument* document, QObject* parent)
    : QObject(parent), document_(document) {
    textView_ = new ColumnTextView();
    textView_->installEventFilter(this);
    if (document->docx()) {
        const rovuvuz::PageSetup page = document->docx()->pageSetup();
        const qreal columnWidth = std::round((page.width - page.left - page.right) * displayScale);
        textView_->setColumnWidth(columnWidth);
        session_ = new EditorSession(document, textView_, columnWidth, this);
    }
    updateTitle();
    connect(document, &TovinDocument::editedChanged, this, &EditorWindowController::updateTitle);

    window_ = TabbedWindow::frontmost();
    if (!window_) window_ = makeWindow();
    window_->addPage(textView_);
}

EditorWindowController::~EditorWindowController() {
    if (textView_) {
        if (window_) window_->removePage(textView_);
        textView_->deleteLater();
    }
}

TabbedWindow* EditorWindowController::makeWindow() {
    auto* window = new TabbedWindow();
    window->setWindowIcon(QIcon(":/tovin.svg"));
    window->setMinimumSize(minimumWidth, minimumHeight);
    window->resize(contentWidth, contentHeight);
    if (!window->setFrameAutosaveName(frameAutosaveName)) {
        // No remembered frame: the first window sits in the middle of the screen.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), window->size());
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    }
    return window;
}

TabbedWindow* EditorWindowController::window() const {
    return window_;
}

QWidget* EditorWindowController::page() const {
    return textView_;
}

void EditorWindowController::showWindow() {
    if (!window_) return;
    window_->showPage(textView_);
    if (window_->isMinimized()) window_->showNormal();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

bool EditorWindowController::eventFilter(QObject* watched, QEvent* event) {
    // Colours that follow light and dark are resolved when the text is built.
    if (watched == textView_ && event->type() == QEvent::ApplicationPaletteChange && session_)
        session_->reloadAll();
    if (watched == textView_ && event->type() == QEvent::Close) {
        const bool close = !shouldClose_ || shouldClose_();
        event->setAccepted(close);
        // The tab goes at once, so that a window closing all its tabs sees them gone.
        if (close && window_) window_->removePage(textView_);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void EditorWindowController::updateTitle() {
    if (!document_) return;
    QString title = document_->displayName();
    if (document_->isReadOnly()) title += " (read-only)";
    textView_->setWindowTitle(title);
    textView_->setWindowModified(document_->isDocumentEdited());
}

}  // namespace tovin
