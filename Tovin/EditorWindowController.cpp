#include "Tovin/EditorWindowController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QScreen>
#include <cmath>

#include "RovuVuz/Sections.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/editor/AttributedBuilder.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/editor/DisplayUnits.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin {

EditorWindowController::EditorWindowController(TovinDocument* document, QObject* parent)
    : QObject(parent), document_(document) {
    // Until editing arrives, the page is a read-only view of the body as it looks.
    textView_ = new ColumnTextView();
    textView_->installEventFilter(this);
    loadText();
    updateTitle();
    connect(document, &TovinDocument::editedChanged, this, &EditorWindowController::updateTitle);
    connect(document, &TovinDocument::reloaded, this, &EditorWindowController::loadText);

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
    if (watched == textView_ && event->type() == QEvent::ApplicationPaletteChange) loadText();
    if (watched == textView_ && event->type() == QEvent::Close) {
        const bool close = !shouldClose_ || shouldClose_();
        event->setAccepted(close);
        // The tab goes at once, so that a window closing all its tabs sees them gone.
        if (close && window_) window_->removePage(textView_);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void EditorWindowController::loadText() {
    if (!document_ || !document_->docx()) return;
    rovuvuz::DocxDocument& docx = *document_->docx();
    const rovuvuz::PageSetup page = docx.pageSetup();
    const qreal columnWidth = std::round((page.width - page.left - page.right) * displayScale);
    textView_->setColumnWidth(columnWidth);
    // A body that cannot be read is shown empty, without an alert.
    std::vector<rovuvuz::BlockSnapshot> blocks;
    try {
        blocks = docx.snapshot(rovuvuz::StoryID::body()).blocks;
    } catch (const std::exception&) {
    }
    textView_->showBlocks(blocks, AttributedBuilder(&docx, rovuvuz::StoryID::body(), columnWidth));
}

void EditorWindowController::updateTitle() {
    if (!document_) return;
    QString title = document_->displayName();
    if (document_->isReadOnly()) title += " (read-only)";
    textView_->setWindowTitle(title);
    textView_->setWindowModified(document_->isDocumentEdited());
}

}  // namespace tovin
