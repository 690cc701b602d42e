#include "Tovin/CommandTable.h"

#include <QAction>
#include <QFileInfo>

#include "Tovin/AppDelegate.h"
#include "Tovin/HelpWindow.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/OpenedVersions.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/editor/FindBar.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/editor/FontPanel.h"
#include "Tovin/editor/FormatCommands.h"
#include "Tovin/editor/InsertCommands.h"
#include "Tovin/editor/ListCommands.h"
#include "Tovin/editor/NoteCommands.h"
#include "Tovin/editor/PageCommands.h"
#include "Tovin/editor/RevealToolbar.h"
#include "Tovin/editor/ReviewCommands.h"
#include "Tovin/editor/ShareMenu.h"
#include "Tovin/editor/SpellingCommands.h"
#include "Tovin/editor/SubstitutionCommands.h"
#include "Tovin/editor/ZoomLevels.h"
#include "Tovin/editor/TableCommands.h"
#include "Tovin/platform/RecentDocuments.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin::CommandTable {

namespace {

using Perform = CommandRow::Perform;
using Rule = CommandRow::Rule;
using Toggle = rovuvuz::RunFormatChange::Toggle;
using EditorCommand = std::function<void(EditorViewController&)>;
using EditorRule = std::function<bool(EditorViewController&, QAction&)>;

// Where a command of the frontmost editor applies: only while the text is shown for
// editing, or in page view too (the view switches, export, print, share).
enum class Scope { editing, anyView };

// An editor's command runs on the frontmost editor, when there is one and the scope allows.
bool inScope(const EditorViewController& editor, Scope scope) {
    return scope == Scope::anyView || !editor.isPageView();
}

Perform onEditor(EditorCommand run, Scope scope = Scope::editing) {
    return [run = std::move(run), scope] {
        if (EditorViewController* editor = EditorViewController::frontmost();
            editor && inScope(*editor, scope))
            run(*editor);
    };
}

// Out of scope the item is off; with no editor at all it is also unchecked.
Rule whenEditor(EditorRule rule = {}, Scope scope = Scope::editing) {
    return [rule = std::move(rule), scope](QAction& item) {
        EditorViewController* editor = EditorViewController::frontmost();
        if (editor && inScope(*editor, scope)) return !rule || rule(*editor, item);
        if (!editor && item.isCheckable()) item.setChecked(false);
        return false;
    };
}

EditorRule plain(bool (*rule)(EditorViewController&)) {
    return [rule](EditorViewController& editor, QAction&) { return rule(editor); };
}

// The Edit menu's commands act on the editor's session, and like every command that reads
// or changes the text, only while the text is shown (not in page view).
Perform onSession(void (EditorSession::*run)()) {
    return onEditor([run](EditorViewController& editor) { (editor.session()->*run)(); });
}
Rule whenSession(std::function<bool(EditorSession&, EditorViewController&)> rule = {}) {
    return whenEditor([rule = std::move(rule)](EditorViewController& editor,
                                               QAction&) { return !rule || rule(*editor.session(), editor); });
}
bool hasSelection(EditorSession&, EditorViewController& editor) {
    return editor.active().view && editor.active().view->textCursor().hasSelection();
}
// Cut, Paste and Delete change the text: not in a read-only document.
bool mayCutSelection(EditorSession& session, EditorViewController& editor) {
    return session.mayEdit() && hasSelection(session, editor);
}
bool mayPaste(EditorSession& session, EditorViewController&) {
    return session.mayEdit() && EditorSession::clipboardHasText();
}

// The page commands act on the frontmost document's window.
EditorWindowController* frontmostWindow() {
    EditorViewController* editor = EditorViewController::frontmost();
    EditorWindowController* window = editor ? EditorWindowController::of(editor->document()) : nullptr;
    return window && window->document() && window->document()->docx() ? window : nullptr;
}
Perform onWindow(void (*run)(EditorWindowController&)) {
    return [run] {
        if (EditorWindowController* window = frontmostWindow()) run(*window);
    };
}
Rule whenWindow(bool (*rule)(EditorWindowController&, QAction&) = nullptr) {
    return [rule](QAction& item) {
        EditorWindowController* window = frontmostWindow();
        if (!window && item.isCheckable()) item.setChecked(false);
        return window && (!rule || rule(*window, item));
    };
}

CommandRow row(Command command, const char* menu, const char* title, const char* key, const char* selector,
               Perform perform, Rule enabled = {}) {
    return CommandRow{command,
                      QString::fromUtf8(menu),
                      QString::fromUtf8(title),
                      QString::fromLatin1(key),
                      QString::fromLatin1(selector),
                      0,
                      std::move(perform),
                      std::move(enabled)};
}
// The same row with a separator before it.
CommandRow grouped(CommandRow row) {
    row.startsGroup = true;
    return row;
}
// The find items share one selector and differ by the find panel's action code.
CommandRow tagged(CommandRow row, int tag) {
    row.tag = tag;
    return row;
}

// A list item's check mark follows the selection's first paragraph.
EditorRule listState(rovuvuz::ListKind kind) {
    return [kind](EditorViewController& editor, QAction& item) {
        item.setCheckable(true);
        item.setChecked(ListCommands::inList(editor, kind));
        return true;
    };
}

// Zoom In and Out stop at their ends; Actual Size is off at actual size.
EditorRule zoomRule(int direction) {
    return [direction](EditorViewController& editor, QAction&) {
        if (direction > 0) return editor.zoom() < EditorViewController::maximumZoom;
        if (direction < 0) return editor.zoom() > EditorViewController::minimumZoom;
        return editor.zoom() != 1;
    };
}

}  // namespace

// Command is Ctrl, Option is Alt, Control is Meta. The other platform's Services, Hide,
// Hide Others and Show All have no counterpart here and are left out, with the separators
// that framed them; full screen is F11 as everywhere on Linux.
std::vector<CommandRow> rows(AppDelegate& app) {
    DocumentController& documents = app.documentController();
    auto current = [&documents](QAction&) { return documents.currentDocument() != nullptr; };
    using namespace FormatCommands;
    using namespace InsertCommands;
    using namespace ReviewCommands;
    using namespace SpellingCommands;
    using rovuvuz::Alignment;
    using rovuvuz::ListKind;
    using rovuvuz::VerticalAlign;

    std::vector<CommandRow> table = {
        // Tovin
        row(Command::orderFrontStandardAboutPanel, "Tovin", "About Tovin", "", "orderFrontStandardAboutPanel:",
            [&app] { app.showAbout(); }),
        row(Command::checkForUpdates, "Tovin", "Check for Updates…", "", "checkForUpdates:",
            [&app] { app.checkForUpdates(); }, [&app](QAction&) { return app.canCheckForUpdates(); }),
        grouped(row(Command::showSettings, "Tovin", "Settings…", "Ctrl+,", "showSettings:",
                    [&app] { app.showSettings(); })),
        grouped(row(Command::terminate, "Tovin", "Quit Tovin", "Ctrl+Q", "terminate:",
                    [&documents] { documents.terminate(); })),
        // File
        row(Command::newDocument, "File", "New", "Ctrl+N", "newDocument:", [&documents] { documents.newDocument(); }),
        row(Command::openDocument, "File", "Open…", "Ctrl+O", "openDocument:",
            [&documents] { documents.openDocumentDialog(); }),
        row(Command::clearRecentDocuments, "File/Open Recent", "Clear Menu", "", "clearRecentDocuments:",
            [] { RecentDocuments::clear(); }, [](QAction&) { return !RecentDocuments::list().isEmpty(); }),
        grouped(row(Command::performClose, "File", "Close", "Ctrl+W", "performClose:",
                    [] { TabbedWindow::closeCurrentPage(); },
                    [](QAction&) { return TabbedWindow::frontmost() && TabbedWindow::frontmost()->currentPage(); })),
        row(Command::saveDocument, "File", "Save", "Ctrl+S", "saveDocument:",
            [&documents] { documents.saveDocument(documents.currentDocument()); },
            [&documents](QAction&) {
                return documents.currentDocument() && !documents.currentDocument()->isReadOnly();
            }),
        row(Command::duplicateDocument, "File", "Duplicate", "Ctrl+Shift+S", "duplicateDocument:",
            [&documents] { documents.duplicateDocument(documents.currentDocument()); }, current),
        row(Command::revertDocumentToSaved, "File", "Revert To", "", "revertDocumentToSaved:",
            [&documents] { documents.revertDocument(documents.currentDocument()); },
            [&documents](QAction&) {
                TovinDocument* document = documents.currentDocument();
                return document && !document->isUntitled() &&
                       (document->isDocumentEdited() || OpenedVersions::hasKept(document->filePath()));
            }),
        grouped(row(Command::exportPDF, "File", "Export as PDF…", "Ctrl+Alt+E", "exportPDF:",
                    onWindow(PageCommands::exportPDF), whenWindow())),
        row(Command::share, "File", "Share…", "", "share:",
            onEditor([](EditorViewController& e) { ShareMenu::show(e.document()->filePath(), e.footer()); },
                     Scope::anyView),
            whenEditor([](EditorViewController& e, QAction&) { return !e.document()->filePath().isEmpty(); },
                       Scope::anyView)),
        grouped(row(Command::printDocument, "File", "Print…", "Ctrl+P", "printDocument:",
                    onWindow(PageCommands::print), whenWindow())),
        // Edit
        row(Command::undo, "Edit", "Undo", "Ctrl+Z", "undo:", onSession(&EditorSession::undoStep),
            whenSession([](EditorSession& s, EditorViewController&) { return s.undo().canUndo(); })),
        [&] {
            CommandRow redo = row(Command::redo, "Edit", "Redo", "Ctrl+Shift+Z", "redo:",
                                  onSession(&EditorSession::redoStep),
                                  whenSession([](EditorSession& s, EditorViewController&) { return s.undo().canRedo(); }));
            // Linux users expect Ctrl+Y to redo as well.
            redo.alternateKey = QStringLiteral("Ctrl+Y");
            return redo;
        }(),
        grouped(row(Command::cut, "Edit", "Cut", "Ctrl+X", "cut:", onSession(&EditorSession::cut),
                    whenSession(mayCutSelection))),
        row(Command::copy, "Edit", "Copy", "Ctrl+C", "copy:", onSession(&EditorSession::copy),
            whenSession(hasSelection)),
        // Paste keeps formatting (Tovin's fragment, else HTML, else a picture, else text);
        // Paste and Match Style pastes the text in the typing attributes.
        row(Command::paste, "Edit", "Paste", "Ctrl+V", "paste:", onSession(&EditorSession::paste),
            whenSession(mayPaste)),
        row(Command::pasteAsPlainText, "Edit", "Paste and Match Style", "Ctrl+Alt+Shift+V", "pasteAsPlainText:",
            onSession(&EditorSession::pasteMatchingStyle), whenSession(mayPaste)),
        row(Command::deleteSelection, "Edit", "Delete", "", "delete:", onSession(&EditorSession::deleteSelection),
            whenSession(mayCutSelection)),
        row(Command::selectAll, "Edit", "Select All", "Ctrl+A", "selectAll:", onSession(&EditorSession::selectAll),
            whenSession()),
        tagged(grouped(row(Command::showFindBar, "Edit/Find", "Find…", "Ctrl+F", "performFindPanelAction:",
                           onEditor([](EditorViewController& e) { e.findBar()->showFind(false); }), whenEditor())),
               1),
        tagged(row(Command::showReplaceBar, "Edit/Find", "Find and Replace…", "Ctrl+Alt+F", "performFindPanelAction:",
                   onEditor([](EditorViewController& e) { e.findBar()->showFind(true); }), whenEditor()),
               12),
        tagged(row(Command::findNext, "Edit/Find", "Find Next", "Ctrl+G", "performFindPanelAction:",
                   onEditor([](EditorViewController& e) { e.findBar()->findOrShow(true); }), whenEditor()),
               2),
        tagged(row(Command::findPrevious, "Edit/Find", "Find Previous", "Ctrl+Shift+G", "performFindPanelAction:",
                   onEditor([](EditorViewController& e) { e.findBar()->findOrShow(false); }), whenEditor()),
               3),
        tagged(row(Command::useSelectionForFind, "Edit/Find", "Use Selection for Find", "Ctrl+E",
                   "performFindPanelAction:", onEditor([](EditorViewController& e) { e.findBar()->useSelection(); }),
                   whenEditor([](EditorViewController& e, QAction&) {
                       return e.active().view->textCursor().hasSelection();
                   })),
               7),
        row(Command::showGuessPanel, "Edit/Spelling and Grammar", "Show Spelling and Grammar", "Ctrl+:",
            "showGuessPanel:", onEditor(showGuesses), whenEditor()),
        row(Command::checkSpelling, "Edit/Spelling and Grammar", "Check Document Now", "Ctrl+;", "checkSpelling:",
            onEditor([](EditorViewController& e) { selectNextMisspelling(e); }), whenEditor()),
        row(Command::toggleContinuousSpellChecking, "Edit/Spelling and Grammar", "Check Spelling While Typing", "",
            "toggleContinuousSpellChecking:", onEditor(toggleContinuousChecking),
            whenEditor([](EditorViewController&, QAction& item) { return continuousCheckingState(item); })),
        // The settings of every window: they apply as the user types.
        row(Command::toggleAutomaticQuoteSubstitution, "Edit/Substitutions", "Smart Quotes", "",
            "toggleAutomaticQuoteSubstitution:", SubstitutionCommands::toggleQuotes, SubstitutionCommands::quotesState),
        row(Command::toggleAutomaticDashSubstitution, "Edit/Substitutions", "Smart Dashes", "",
            "toggleAutomaticDashSubstitution:", SubstitutionCommands::toggleDashes, SubstitutionCommands::dashesState),
        row(Command::toggleAutomaticTextReplacement, "Edit/Substitutions", "Text Replacement", "",
            "toggleAutomaticTextReplacement:", SubstitutionCommands::toggleReplacement,
            SubstitutionCommands::replacementState),
        // Format
        row(Command::toggleBold, "Format", "Bold", "Ctrl+B", "toggleBold:",
            onEditor([](EditorViewController& e) { toggle(e, Toggle::bold); }), whenEditor()),
        row(Command::toggleItalic, "Format", "Italic", "Ctrl+I", "toggleItalic:",
            onEditor([](EditorViewController& e) { toggle(e, Toggle::italic); }), whenEditor()),
        row(Command::toggleUnderline, "Format", "Underline", "Ctrl+U", "toggleUnderline:",
            onEditor([](EditorViewController& e) { toggle(e, Toggle::underline); }), whenEditor()),
        row(Command::toggleStrike, "Format", "Strikethrough", "Ctrl+Shift+X", "toggleStrike:",
            onEditor([](EditorViewController& e) { toggle(e, Toggle::strike); }), whenEditor()),
        grouped(row(Command::toggleSuperscript, "Format", "Superscript", "Ctrl+Shift+=", "toggleSuperscript:",
                    onEditor([](EditorViewController& e) { toggleScript(e, VerticalAlign::superscript); }),
                    whenEditor())),
        row(Command::toggleSubscript, "Format", "Subscript", "Ctrl+=", "toggleSubscript:",
            onEditor([](EditorViewController& e) { toggleScript(e, VerticalAlign::subscript); }), whenEditor()),
        grouped(row(Command::alignLeft, "Format", "Align Left", "Ctrl+{", "alignLeft:",
                    onEditor([](EditorViewController& e) { align(e, Alignment::left); }), whenEditor())),
        row(Command::alignCenter, "Format", "Center", "Ctrl+|", "alignCenter:",
            onEditor([](EditorViewController& e) { align(e, Alignment::center); }), whenEditor()),
        row(Command::alignRight, "Format", "Align Right", "Ctrl+}", "alignRight:",
            onEditor([](EditorViewController& e) { align(e, Alignment::right); }), whenEditor()),
        row(Command::alignJustify, "Format", "Justify", "", "alignJustify:",
            onEditor([](EditorViewController& e) { align(e, Alignment::both); }), whenEditor()),
        grouped(row(Command::addLink, "Format", "Add Link…", "Ctrl+K", "addLink:", onEditor(showLinkPopover),
                    whenEditor(plain(canLink)))),
        row(Command::insertPageBreak, "Format", "Insert Page Break", "Ctrl+Shift+Return", "insertPageBreak:",
            onEditor(insertPageBreak), whenEditor()),
        row(Command::insertImage, "Format", "Insert Image…", "", "insertImage:", onEditor(chooseImage), whenEditor()),
        row(Command::makeImageLarger, "Format", "Make Image Larger", "Ctrl+Alt++", "makeImageLarger:",
            onEditor([](EditorViewController& e) { scaleImage(e, growFactor); }), whenEditor(plain(hasImage))),
        row(Command::makeImageSmaller, "Format", "Make Image Smaller", "Ctrl+Alt+-", "makeImageSmaller:",
            onEditor([](EditorViewController& e) { scaleImage(e, 1 / growFactor); }), whenEditor(plain(hasImage))),
        grouped(row(Command::toggleBulletedList, "Format", "Bulleted List", "Ctrl+Shift+8", "toggleBulletedList:",
                    onEditor([](EditorViewController& e) { ListCommands::toggleList(e, ListKind::bullet); }),
                    whenEditor(listState(ListKind::bullet)))),
        row(Command::toggleNumberedList, "Format", "Numbered List", "Ctrl+Shift+7", "toggleNumberedList:",
            onEditor([](EditorViewController& e) { ListCommands::toggleList(e, ListKind::number); }),
            whenEditor(listState(ListKind::number))),
        grouped(row(Command::showFontPanel, "Format", "Font…", "", "orderFrontFontPanel:",
                    onEditor(FontPanel::present), whenEditor())),
        row(Command::increaseFontSize, "Format", "Increase Font Size", "Ctrl+]", "increaseFontSize:",
            onEditor([](EditorViewController& e) { stepFontSize(e, 1); }), whenEditor()),
        row(Command::decreaseFontSize, "Format", "Decrease Font Size", "Ctrl+[", "decreaseFontSize:",
            onEditor([](EditorViewController& e) { stepFontSize(e, -1); }), whenEditor()),
        row(Command::clearFormatting, "Format", "Clear Formatting", "", "clearFormatting:",
            onEditor(clearFormatting), whenEditor()),
        grouped(row(Command::insertTable, "Format", "Insert Table…", "", "insertTable:",
                    onEditor(TableCommands::showInsertTableDialog), whenEditor())),
        row(Command::selectTable, "Format", "Select Table", "", "selectTable:", onEditor(TableCommands::selectTable),
            whenEditor(plain(TableCommands::inTable))),
        row(Command::deleteTable, "Format", "Delete Table", "", "deleteTable:", onEditor(TableCommands::deleteTable),
            whenEditor(plain(TableCommands::inTable))),
        grouped(row(Command::insertFootnote, "Format", "Insert Footnote", "", "insertFootnote:",
                    onEditor([](EditorViewController& e) { NoteCommands::insertNote(e, rovuvuz::NoteKind::footnote); }),
                    whenEditor(plain(NoteCommands::canInsertNote)))),
        row(Command::insertEndnote, "Format", "Insert Endnote", "", "insertEndnote:",
            onEditor([](EditorViewController& e) { NoteCommands::insertNote(e, rovuvuz::NoteKind::endnote); }),
            whenEditor(plain(NoteCommands::canInsertNote))),
        // View
        row(Command::showDraft, "View", "Draft", "Ctrl+1", "showDraft:", onWindow(PageCommands::showDraft),
            whenWindow(PageCommands::draftState)),
        row(Command::togglePageView, "View", "Page (Approximate)", "Ctrl+Alt+P", "togglePageView:",
            onWindow(PageCommands::togglePageView), whenWindow(PageCommands::pageViewState)),
        grouped(row(Command::toggleRevealToolbar, "View", "Show Toolbar", "Ctrl+Alt+T", "toggleRevealToolbar:",
                    onEditor([](EditorViewController& e) { e.toolbar()->setPinned(!e.toolbar()->pinned()); },
                             Scope::anyView),
                    [](QAction& item) {
                        EditorViewController* editor = EditorViewController::frontmost();
                        item.setText(editor && editor->toolbar()->pinned() ? QStringLiteral("Hide Toolbar")
                                                                           : QStringLiteral("Show Toolbar"));
                        return editor != nullptr;
                    })),
        row(Command::toggleRail, "View", "Show Comments", "Ctrl+Alt+Shift+C", "toggleRail:", onEditor(toggleRail),
            [](QAction& item) {
                EditorViewController* editor = EditorViewController::frontmost();
                if (!editor) item.setText(QStringLiteral("Show Comments"));
                return editor && !editor->isPageView() && railState(*editor, item);
            }),
        // Ctrl+= is Subscript and Ctrl+Alt+- makes a picture smaller: zoom takes keys of its own.
        grouped(row(Command::zoomIn, "View", "Zoom In", "Ctrl+Alt+=", "zoomIn:",
                    onEditor(ZoomLevels::zoomIn, Scope::anyView), whenEditor(zoomRule(1), Scope::anyView))),
        row(Command::zoomOut, "View", "Zoom Out", "Ctrl+-", "zoomOut:", onEditor(ZoomLevels::zoomOut, Scope::anyView),
            whenEditor(zoomRule(-1), Scope::anyView)),
        row(Command::zoomActualSize, "View", "Actual Size", "Ctrl+0", "zoomActualSize:",
            onEditor(ZoomLevels::actualSize, Scope::anyView), whenEditor(zoomRule(0), Scope::anyView)),
        grouped(row(Command::toggleFullScreen, "View", "Enter Full Screen", "F11", "toggleFullScreen:",
                    [] { TabbedWindow::toggleFullScreen(); }, TabbedWindow::fullScreenState)),
        // Review
        row(Command::toggleTracking, "Review", "Track My Edits", "Ctrl+Shift+E", "toggleTracking:",
            onEditor(toggleTracking), whenEditor(trackingState)),
        grouped(row(Command::nextChange, "Review", "Next Change", "Ctrl+Alt+]", "nextChange:",
                    onEditor([](EditorViewController& e) { moveToChange(e, true); }), whenEditor(plain(hasChanges)))),
        row(Command::previousChange, "Review", "Previous Change", "Ctrl+Alt+[", "previousChange:",
            onEditor([](EditorViewController& e) { moveToChange(e, false); }), whenEditor(plain(hasChanges))),
        row(Command::acceptChange, "Review", "Accept Change", "Ctrl+Alt+A", "acceptChange:",
            onEditor([](EditorViewController& e) { resolveAtSelection(e, true); }),
            whenEditor(plain(hasChangeAtSelection))),
        row(Command::rejectChange, "Review", "Reject Change", "Ctrl+Alt+R", "rejectChange:",
            onEditor([](EditorViewController& e) { resolveAtSelection(e, false); }),
            whenEditor(plain(hasChangeAtSelection))),
        row(Command::acceptAll, "Review", "Accept All Changes", "", "acceptAll:",
            onEditor([](EditorViewController& e) { resolveAll(e, true); }), whenEditor(plain(hasChanges))),
        row(Command::rejectAll, "Review", "Reject All Changes", "", "rejectAll:",
            onEditor([](EditorViewController& e) { resolveAll(e, false); }), whenEditor(plain(hasChanges))),
        grouped(row(Command::addComment, "Review", "Add Comment", "Ctrl+Alt+M", "addComment:",
                    onEditor(showCommentPopover), whenEditor(plain(canComment)))),
        // Window
        row(Command::performMiniaturize, "Window", "Minimize", "Ctrl+M", "performMiniaturize:",
            [] { TabbedWindow::minimizeFrontmost(); }, [](QAction&) { return TabbedWindow::frontmost() != nullptr; }),
        row(Command::performZoom, "Window", "Zoom", "", "performZoom:", [] { TabbedWindow::zoomFrontmost(); },
            [](QAction&) { return TabbedWindow::frontmost() != nullptr; }),
        grouped(row(Command::arrangeInFront, "Window", "Bring All to Front", "", "arrangeInFront:",
                    [] { TabbedWindow::arrangeInFront(); }, [](QAction&) { return !TabbedWindow::all().isEmpty(); })),
        // Help
        row(Command::showHelp, "Help", "Tovin Help", "F1", "showHelp:", [] { HelpWindow::show(); }),
    };
    return table;
}

std::vector<MainMenu::DynamicItems> dynamicItems(AppDelegate& app) {
    DocumentController& documents = app.documentController();
    using Place = MainMenu::DynamicItems::Place;
    return {
        // Open Recent lists the files above its Clear Menu.
        {Command::clearRecentDocuments, Place::before,
         [&documents](QObject* owner) {
             QList<QAction*> items;
             for (const QString& path : RecentDocuments::list()) {
                 auto* item = new QAction(QFileInfo(path).fileName(), owner);
                 item->setToolTip(path);
                 QObject::connect(item, &QAction::triggered, &documents,
                                  [&documents, path] { documents.openDocument(path); });
                 items.append(item);
             }
             return items;
         }},
        // The Window menu lists the open windows last; choosing one brings it forward.
        {Command::arrangeInFront, Place::after,
         [](QObject* owner) { return TabbedWindow::windowItems(owner); }},
    };
}

void install(AppDelegate& app) {
    MainMenu::build().install(rows(app), dynamicItems(app));
}

}  // namespace tovin::CommandTable
