// The menu bar a window carries: every menu, title, selector name and key, in order, and
// which items are enabled before the editor's commands exist.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "AppTestSupport.h"
#include "Tovin/MainMenu.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/platform/DocumentController.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin::testing {
namespace {

using MainMenuTest = AppTest;

// "Menu|Submenu: Title = selector/tag [key]" per item, "Menu: ---" per separator.
QStringList describe(QMenu* menu, const QString& path) {
    QStringList lines;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            lines << path + ": ---";
        } else if (action->menu()) {
            lines << describe(action->menu(), path + "|" + action->text());
        } else {
            const int tag = action->data().toInt();
            lines << QString("%1: %2 = %3%4 [%5]")
                         .arg(path, action->text(), action->objectName(),
                              tag ? "/" + QString::number(tag) : "", action->shortcut().toString());
        }
    }
    return lines;
}

QStringList describe(QMenuBar* bar) {
    QStringList lines;
    for (QAction* top : bar->actions()) lines << describe(top->menu(), top->text());
    return lines;
}

TEST_F(MainMenuTest, TheMenuBarHasEveryTitleSelectorAndKey) {
    const QStringList expected = {
        "Tovin: About Tovin = orderFrontStandardAboutPanel: []",
        "Tovin: Check for Updates… = checkForUpdates: []",
        "Tovin: ---",
        "Tovin: Settings… = showSettings: [Ctrl+,]",
        "Tovin: ---",
        "Tovin: Quit Tovin = terminate: [Ctrl+Q]",
        "File: Open… = openDocument: [Ctrl+O]",
        "File|Open Recent: Clear Menu = clearRecentDocuments: []",
        "File: ---",
        "File: Close = performClose: [Ctrl+W]",
        "File: Save = saveDocument: [Ctrl+S]",
        "File: Duplicate = duplicateDocument: [Ctrl+Shift+S]",
        "File: Revert To = revertDocumentToSaved: []",
        "File: ---",
        "File: Export as PDF… = exportPDF: [Ctrl+Alt+E]",
        "File: Share… = share: []",
        "File: ---",
        "File: Print… = printDocument: [Ctrl+P]",
        "Edit: Undo = undo: [Ctrl+Z]",
        "Edit: Redo = redo: [Ctrl+Shift+Z]",
        "Edit: ---",
        "Edit: Cut = cut: [Ctrl+X]",
        "Edit: Copy = copy: [Ctrl+C]",
        "Edit: Paste = paste: [Ctrl+V]",
        "Edit: Paste and Match Style = pasteAsPlainText: [Ctrl+Alt+Shift+V]",
        "Edit: Delete = delete: []",
        "Edit: Select All = selectAll: [Ctrl+A]",
        "Edit: ---",
        "Edit|Find: Find… = performFindPanelAction:/1 [Ctrl+F]",
        "Edit|Find: Find and Replace… = performFindPanelAction:/12 [Ctrl+Alt+F]",
        "Edit|Find: Find Next = performFindPanelAction:/2 [Ctrl+G]",
        "Edit|Find: Find Previous = performFindPanelAction:/3 [Ctrl+Shift+G]",
        "Edit|Find: Use Selection for Find = performFindPanelAction:/7 [Ctrl+E]",
        "Edit|Spelling and Grammar: Show Spelling and Grammar = showGuessPanel: [Ctrl+:]",
        "Edit|Spelling and Grammar: Check Document Now = checkSpelling: [Ctrl+;]",
        "Edit|Spelling and Grammar: Check Spelling While Typing = toggleContinuousSpellChecking: []",
        "Edit|Substitutions: Smart Quotes = toggleAutomaticQuoteSubstitution: []",
        "Edit|Substitutions: Smart Dashes = toggleAutomaticDashSubstitution: []",
        "Edit|Substitutions: Text Replacement = toggleAutomaticTextReplacement: []",
        "Format: Bold = toggleBold: [Ctrl+B]",
        "Format: Italic = toggleItalic: [Ctrl+I]",
        "Format: Underline = toggleUnderline: [Ctrl+U]",
        "Format: Strikethrough = toggleStrike: [Ctrl+Shift+X]",
        "Format: ---",
        "Format: Superscript = toggleSuperscript: [Ctrl+Shift+=]",
        "Format: Subscript = toggleSubscript: [Ctrl+=]",
        "Format: ---",
        "Format: Align Left = alignLeft: [Ctrl+{]",
        "Format: Center = alignCenter: [Ctrl+|]",
        "Format: Align Right = alignRight: [Ctrl+}]",
        "Format: Justify = alignJustify: []",
        "Format: ---",
        "Format: Add Link… = addLink: [Ctrl+K]",
        "Format: Insert Page Break = insertPageBreak: [Ctrl+Shift+Return]",
        "Format: Insert Image… = insertImage: []",
        "Format: Make Image Larger = makeImageLarger: [Ctrl+Alt++]",
        "Format: Make Image Smaller = makeImageSmaller: [Ctrl+Alt+-]",
        "View: Draft = showDraft: [Ctrl+1]",
        "View: Page (Approximate) = togglePageView: [Ctrl+Alt+P]",
        "View: ---",
        "View: Show Toolbar = toggleRevealToolbar: [Ctrl+Alt+T]",
        "View: Show Comments = toggleRail: [Ctrl+Alt+Shift+C]",
        "View: ---",
        "View: Enter Full Screen = toggleFullScreen: [F11]",
        "Review: Track My Edits = toggleTracking: [Ctrl+Shift+E]",
        "Review: ---",
        "Review: Next Change = nextChange: [Ctrl+Alt+]]",
        "Review: Previous Change = previousChange: [Ctrl+Alt+[]",
        "Review: Accept Change = acceptChange: [Ctrl+Alt+A]",
        "Review: Reject Change = rejectChange: [Ctrl+Alt+R]",
        "Review: Accept All Changes = acceptAll: []",
        "Review: Reject All Changes = rejectAll: []",
        "Review: ---",
        "Review: Add Comment = addComment: [Ctrl+Alt+M]",
        "Window: Minimize = performMiniaturize: [Ctrl+M]",
        "Window: Zoom = performZoom: []",
        "Window: ---",
        "Window: Bring All to Front = arrangeInFront: []",
        "Help: Tovin Help = showHelp: [F1]",
    };
    TabbedWindow window;
    QMenuBar* bar = window.menuBar();
    QStringList titles;
    for (QAction* top : bar->actions()) titles << top->text();
    EXPECT_EQ(titles, (QStringList{"Tovin", "File", "Edit", "Format", "View", "Review", "Window", "Help"}));

    const QStringList actual = describe(bar);
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        EXPECT_EQ(actual.value(i).toStdString(), expected.value(i).toStdString()) << "line " << i;
    }
}

TEST_F(MainMenuTest, ItemsAreEnabledOnlyWhereSomethingCarriesThemOut) {
    MainMenu& menu = MainMenu::build();
    menu.validate();
    // A harness run has no updater, so checking for updates is off.
    EXPECT_FALSE(menu.action("checkForUpdates:")->isEnabled());
    for (const char* selector :
         {"showSettings:", "openDocument:", "terminate:", "orderFrontStandardAboutPanel:"}) {
        EXPECT_TRUE(menu.action(selector)->isEnabled()) << selector;
    }
    // Without a window, nothing that acts on a document or window.
    for (const char* selector : {"performClose:", "saveDocument:", "duplicateDocument:", "performZoom:"}) {
        EXPECT_FALSE(menu.action(selector)->isEnabled()) << selector;
    }

    TovinDocument* document =
        documents().openDocument(writeScratch("notes.docx", documentWithParagraphs({"x"})));
    ASSERT_NE(document, nullptr);
    menu.validate();
    for (const char* selector : {"performClose:", "saveDocument:", "duplicateDocument:", "performZoom:",
                                 "toggleFullScreen:", "clearRecentDocuments:"}) {
        EXPECT_TRUE(menu.action(selector)->isEnabled()) << selector;
    }
    // Nothing to go back to until the document changed or was written.
    EXPECT_FALSE(menu.action("revertDocumentToSaved:")->isEnabled());
    document->updateChangeCount(TovinDocument::ChangeKind::done);
    menu.validate();
    EXPECT_TRUE(menu.action("revertDocumentToSaved:")->isEnabled());
    // Editing commands need something to act on: no undo step yet, no selection.
    for (const char* selector : {"undo:", "redo:", "cut:", "copy:", "delete:"}) {
        EXPECT_FALSE(menu.action(selector)->isEnabled()) << selector;
    }
    for (const char* selector :
         {"selectAll:", "toggleTracking:", "toggleBold:", "alignCenter:", "insertImage:"}) {
        EXPECT_TRUE(menu.action(selector)->isEnabled()) << selector;
    }
    // No change to review, no selection to comment on or link, no image to resize.
    for (const char* selector :
         {"acceptAll:", "nextChange:", "addComment:", "addLink:", "makeImageLarger:"}) {
        EXPECT_FALSE(menu.action(selector)->isEnabled()) << selector;
    }
    // The page commands are; Draft is on, so only leaving it is off.
    for (const char* selector : {"exportPDF:", "printDocument:", "togglePageView:"})
        EXPECT_TRUE(menu.action(selector)->isEnabled()) << selector;
    EXPECT_FALSE(menu.action("showDraft:")->isEnabled());
    EXPECT_TRUE(menu.action("showDraft:")->isChecked());

    // Close through the menu item takes the tab away.
    menu.action("performClose:")->trigger();
    settle();
    EXPECT_TRUE(documents().documents().isEmpty());
}

// Every command names exactly one item, and the item answers to the command's selector and
// tag: the selector table and the command list cannot drift apart.
TEST_F(MainMenuTest, EachCommandIsOneItemNamedByItsSelector) {
    MainMenu& menu = MainMenu::build();
    EXPECT_EQ(menu.actions().size(), commandCount);
    for (int index = 0; index < commandCount; ++index) {
        const auto command = static_cast<Command>(index);
        QAction* action = menu.action(command);
        ASSERT_NE(action, nullptr) << index;
        const CommandName name = commandName(command);
        EXPECT_EQ(action->objectName(), QLatin1String(name.selector)) << index;
        EXPECT_EQ(action->data().toInt(), name.tag) << name.selector;
        EXPECT_EQ(commandFor(action->objectName(), name.tag), command) << name.selector;
        EXPECT_EQ(MainMenu::commandOf(action), command) << name.selector;
    }
    EXPECT_EQ(commandFor("performFindPanelAction:", 12), Command::showReplaceBar);
    EXPECT_EQ(commandFor("toggleBlod:"), std::nullopt);
}

// A handler registered under a selector no item has registers nothing, rather than
// leaving a look-alike item disabled with no sign of why.
TEST_F(MainMenuTest, AHandlerForAnUnknownSelectorIsRefused) {
    MainMenu& menu = MainMenu::build();
    int runs = 0;
    QObject owner;
    std::vector<bool> before;
    for (int index = 0; index < commandCount; ++index) before.push_back(menu.hasHandler(Command(index)));
    menu.setHandler(QStringLiteral("toggleAutomaticTextReplacemnt:"), &owner, [&runs](QAction*) { ++runs; });
    for (int index = 0; index < commandCount; ++index)
        EXPECT_EQ(menu.hasHandler(Command(index)), before[size_t(index)])
            << commandName(Command(index)).selector;
    menu.setHandler(QStringLiteral("toggleAutomaticTextReplacement:"), &owner, [&runs](QAction*) { ++runs; });
    EXPECT_TRUE(menu.hasHandler(Command::toggleAutomaticTextReplacement));
    menu.validate();
    menu.action(Command::toggleAutomaticTextReplacement)->trigger();
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace tovin::testing
