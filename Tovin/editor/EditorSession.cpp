#include "Tovin/editor/EditorSession.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextEdit>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/ClipboardCommands.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/text/ParagraphKeys.h"
#include "Tovin/text/StoryText.h"

namespace tovin {

namespace {

// The menu item whose shortcut a key press is. Text views claim the standard editing keys
// (undo, cut, paste, …) for themselves; those must reach the menu instead.
QAction* menuItemOf(const QKeyEvent& key) {
    const QKeySequence pressed(key.keyCombination());
    for (QAction* action : MainMenu::build().actions()) {
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut == pressed) return action;
    }
    return nullptr;
}

}  // namespace

EditorSession::EditorSession(EditorViewController& editor, TovinDocument* document, QTextEdit* body,
                             qreal columnWidth)
    : QObject(&editor),
      editor_(editor),
      document_(document),
      body_(body),
      columnWidth_(columnWidth),
      undo_([this] { return document_ ? document_->docx() : nullptr; },
            [this] { return body_ ? body_->textCursor().position() : 0; }),
      seam_(undo_) {
    // Dropped content, and what Paste and Match Style pastes, arrives as plain text in the
    // typing attributes; Paste itself goes through the engine (ClipboardCommands).
    body->setAcceptRichText(false);
    body->installEventFilter(this);
    connect(&undo_, &EditorUndo::restored, this, &EditorSession::restored);
    // A read-only document, or page view, refuses every command's edit with its reason,
    // and a read-only body takes no typing.
    seam_.setGuard([this] { return whyNotEditable(); });
    if (document) {
        body->setReadOnly(document->isReadOnly());
        connect(document, &TovinDocument::readOnlyChanged, body, &QTextEdit::setReadOnly);
    }
    // Menu items follow the selection (Cut, Copy, Delete) and the undo steps.
    MainMenu* menu = &MainMenu::build();
    connect(body, &QTextEdit::selectionChanged, menu, &MainMenu::scheduleValidation);
    connect(&undo_.stack(), &QUndoStack::indexChanged, menu, &MainMenu::scheduleValidation);
    connect(document, &TovinDocument::trackingChanged, menu, &MainMenu::scheduleValidation);
    connect(document, &TovinDocument::reloaded, this, [this] {
        undo_.clear();
        loadBody();
    });
    loadBody();
}

EditorSession::~EditorSession() = default;

void EditorSession::loadBody() {
    rovuvuz::DocxDocument* docx = document_ ? document_->docx() : nullptr;
    if (!docx || !body_) return;
    const rovuvuz::StoryID story = rovuvuz::StoryID::body();
    AttributedBuilder scaled(docx, story, columnWidth_);
    scaled.zoom = zoom_;
    AttributedBuilder builder =
        TableAttachment::liveTables(std::move(scaled), TableEditorRef(&editor_), body_, 0);
    bodyBridge_ = std::make_unique<StoryBridge>(docx, story, body_, std::move(builder), this);
    std::vector<rovuvuz::BlockSnapshot> blocks;
    try {
        blocks = docx->snapshot(story).blocks;
    } catch (const std::exception&) {
        // A body that does not parse is shown empty.
    }
    // The snapshot carries its list labels: the blocks come labelled.
    bodyBridge_->load(std::move(blocks));
    QTextCursor cursor = body_->textCursor();
    cursor.setPosition(0);
    body_->setTextCursor(cursor);
    Q_EMIT bodyLoaded();
}

void EditorSession::rescale(qreal columnWidth, qreal zoom) {
    if (!body_) return;
    flushAll();
    const QTextCursor before = body_->textCursor();
    const int anchor = before.anchor();
    const int position = before.position();
    columnWidth_ = columnWidth;
    zoom_ = zoom;
    loadBody();
    const int last = body_->document()->characterCount() - 1;
    QTextCursor cursor = body_->textCursor();
    cursor.setPosition(std::min(anchor, last));
    cursor.setPosition(std::min(position, last), QTextCursor::KeepAnchor);
    body_->setTextCursor(cursor);
}

void EditorSession::restored(int caret) {
    reloadAll();
    if (!body_) return;
    QTextCursor cursor = body_->textCursor();
    cursor.setPosition(std::min(caret, body_->document()->characterCount() - 1));
    body_->setTextCursor(cursor);
}

bool EditorSession::mayEdit() const {
    return whyNotEditable().isEmpty();
}

QString EditorSession::whyNotEditable() const {
    if (document_ && document_->isReadOnly()) return document_->readOnlyReason();
    if (editor_.isPageView()) return QStringLiteral("Page view shows the pages; choose View > Draft to edit.");
    return {};
}

rovuvuz::EditMode EditorSession::editMode() const {
    if (!document_ || !document_->trackChanges()) return rovuvuz::EditMode::direct();
    return rovuvuz::EditMode::trackedBy(TovinDocument::authorName().toStdString(), now());
}

void EditorSession::willEdit(StoryBridge&) {
    undo_.registerUndo(/*typing=*/true);
}

void EditorSession::didEdit(StoryBridge&) {
    modelChanged();
}

void EditorSession::refused(const QString& reason) {
    if (reason.isEmpty() && !mayEdit()) return seam_.refuse(whyNotEditable());
    seam_.refuse(EditSeam::sentence(reason));
}

void EditorSession::reloadAll() {
    rovuvuz::DocxDocument* docx = document_ ? document_->docx() : nullptr;
    if (!bodyBridge_ || !docx) return;
    // A restored package has parsed its stories again, under new paragraph identities.
    std::vector<rovuvuz::BlockSnapshot> blocks;
    try {
        blocks = docx->snapshot(rovuvuz::StoryID::body()).blocks;
    } catch (const std::exception&) {
    }
    bodyBridge_->reloadFromModel(std::move(blocks));
    Q_EMIT reloaded();
}

void EditorSession::modelChanged() {
    if (document_) document_->updateChangeCount(TovinDocument::ChangeKind::done);
    Q_EMIT changed();
}

void EditorSession::flushAll() {
    if (bodyBridge_) bodyBridge_->flush();
    editor_.flushBands();
}

bool EditorSession::clipboardHasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && (data->hasText() || data->hasHtml() || data->hasImage() ||
                    data->hasFormat(ClipboardCommands::fragmentType()));
}

void EditorSession::undoStep() {
    flushAll();
    if (!undo_.canUndo()) return;
    undo_.undo();
    if (document_) document_->updateChangeCount(TovinDocument::ChangeKind::undone);
}

void EditorSession::redoStep() {
    flushAll();
    if (!undo_.canRedo()) return;
    undo_.redo();
    if (document_) document_->updateChangeCount(TovinDocument::ChangeKind::done);
}

void EditorSession::cut() {
    ClipboardCommands::cut(editor_);
}

void EditorSession::copy() {
    ClipboardCommands::copy(editor_);
}

void EditorSession::paste() {
    ClipboardCommands::paste(editor_);
}

void EditorSession::pasteMatchingStyle() {
    ClipboardCommands::pasteMatchingStyle(editor_);
}

void EditorSession::deleteSelection() {
    const EditorViewController::Active to = editor_.active();
    if (!to.view || !to.bridge) return;
    flushAll();
    to.bridge->noteSelection();
    QTextCursor cursor = to.view->textCursor();
    cursor.removeSelectedText();
}

void EditorSession::selectAll() {
    if (QTextEdit* view = editor_.active().view) view->selectAll();
}

bool EditorSession::eventFilter(QObject* watched, QEvent* event) {
    auto* view = qobject_cast<QTextEdit*>(watched);
    if (view && event->type() == QEvent::ShortcutOverride && menuItemOf(*static_cast<QKeyEvent*>(event))) {
        // Left unaccepted, the key goes to the menu item's shortcut.
        event->ignore();
        return true;
    }
    // A menu key arrives as a key press when its item was disabled at the last validation
    // (Paste before the clipboard was filled, or in page view). The command runs if its rule
    // allows it now; the view's own handling of the key (its own paste) never does.
    if (view && event->type() == QEvent::KeyPress) {
        if (QAction* item = menuItemOf(*static_cast<QKeyEvent*>(event))) {
            if (const auto command = MainMenu::commandOf(item)) MainMenu::build().trigger(*command);
            return true;
        }
    }
    if (view && event->type() == QEvent::KeyPress && ParagraphKeys::handle(*view, *static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

}  // namespace tovin
