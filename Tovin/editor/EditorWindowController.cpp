#include "Tovin/editor/EditorWindowController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QScreen>

#include "Tovin/document/DocumentController.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/ZoomLevels.h"
#include "Tovin/pages/PageView.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin {

EditorWindowController::EditorWindowController(TovinDocument* document, DocumentController& documents)
    : DocumentWindow(&documents), document_(document), documents_(&documents) {
    editor_ = new EditorViewController(document);
    editor_->installEventFilter(this);
    pageView_ = new PageView(editor_->body());
    connect(editor_, &EditorViewController::zoomChanged, pageView_, &PageView::setZoom);
    // Ctrl+wheel over the pages steps the window's zoom as over its text.
    connect(pageView_, &PageView::zoomStep, editor_,
            [this](int direction) { editor_->setZoom(ZoomLevels::step(editor_->zoom(), direction)); });
    updateTitle();
    connect(document, &TovinDocument::editedChanged, this, &EditorWindowController::updateTitle);
    connect(document, &TovinDocument::readOnlyChanged, this, &EditorWindowController::updateTitle);
    connect(document, &TovinDocument::filePathChanged, this, &EditorWindowController::updateTitle);

    window_ = TabbedWindow::frontmost();
    if (!window_) window_ = makeWindow();
    window_->addPage(editor_);
}

EditorWindowController::~EditorWindowController() {
    if (editor_) {
        if (window_) window_->removePage(editor_);
        editor_->deleteLater();
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

EditorWindowController* EditorWindowController::of(TovinDocument* document) {
    DocumentController* documents = DocumentController::shared();
    return documents ? qobject_cast<EditorWindowController*>(documents->window(document)) : nullptr;
}

EditorViewController* EditorWindowController::editor() const {
    return editor_;
}

QTextEdit* EditorWindowController::textView() const {
    return editor_ ? editor_->body() : nullptr;
}

EditorSession* EditorWindowController::session() const {
    return editor_ ? editor_->session() : nullptr;
}

TabbedWindow* EditorWindowController::window() const {
    return window_;
}

QWidget* EditorWindowController::page() const {
    return editor_;
}

void EditorWindowController::showWindow() {
    if (!window_) return;
    window_->showPage(editor_);
    if (window_->isMinimized()) window_->showNormal();
    window_->show();
    window_->raise();
    window_->activateWindow();
    // Typing goes into the document at once, a new one's above all.
    if (editor_ && !editor_->isPageView()) editor_->body()->setFocus();
}

bool EditorWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::Close) {
        // Asked when the user closes the tab or its window; false keeps it open.
        const bool close = documents_->closeDocument(document_);
        event->setAccepted(close);
        // The tab goes at once, so that a window closing all its tabs sees them gone.
        if (close && window_) window_->removePage(editor_);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void EditorWindowController::updateTitle() {
    if (!document_) return;
    QString title = document_->displayName();
    if (document_->isReadOnly()) title += " (read-only)";
    editor_->setWindowTitle(title);
    editor_->setWindowModified(document_->isDocumentEdited());
}

}  // namespace tovin
