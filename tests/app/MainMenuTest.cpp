// The menu bar a window carries: every menu, title, selector name and key, in order, and
// which items are enabled before the editor's commands exist.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <set>
#include <tuple>

#include "AppTestSupport.h"
#include "Tovin/HelpWindow.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin::testing {
namespace {

using MainMenuTest = AppTest;

// The item known by a selector name (the first, for the find items).
QAction* item(const char* selector) {
    for (QAction* action : MainMenu::build().actions())
        if (action->objectName() == QLatin1String(selector)) return action;
    ADD_FAILURE() << "no item " << selector;
    static QAction none;
    return &none;
}

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

// The menu bar is the table: every row once, in order, under its menu, with its title,
// selector, tag and key, and a separator wherever a row starts a group.
TEST_F(MainMenuTest, TheMenuBarShowsEveryRowOfTheTableInOrder) {
    TabbedWindow window;
    QMenuBar* bar = window.menuBar();
    QStringList titles;
    for (QAction* top : bar->actions()) titles << top->text();
    EXPECT_EQ(titles, (QStringList{"Tovin", "File", "Edit", "Format", "View", "Review", "Window", "Help"}));

    QStringList expected;
    QStringList submenus;
    for (const CommandRow& row : MainMenu::build().rows()) {
        const QString top = row.menu.section('/', 0, 0);
        const bool opensSubmenu = row.menu.contains('/') && !submenus.contains(row.menu);
        if (opensSubmenu) submenus << row.menu;
        // A group's separator stands in the menu holding the row, or holding its new submenu.
        if (row.startsGroup) expected << (opensSubmenu ? top : QString(row.menu).replace('/', '|')) + ": ---";
        expected << QString("%1: %2 = %3%4 [%5]")
                        .arg(QString(row.menu).replace('/', '|'), row.title, row.selector,
                             row.tag ? "/" + QString::number(row.tag) : "", QKeySequence(row.key).toString());
    }
    const QStringList actual = describe(bar);
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i)
        EXPECT_EQ(actual.value(i).toStdString(), expected.value(i).toStdString()) << "line " << i;
}

// The titles and keys people know the menus by: a handful checked against what they must
// be, so that a table edit cannot quietly move them.
TEST_F(MainMenuTest, WellKnownItemsKeepTheirTitlesAndKeys) {
    const std::vector<std::tuple<Command, QString, QString>> known = {
        {Command::saveDocument, "Save", "Ctrl+S"},
        {Command::pasteAsPlainText, "Paste and Match Style", "Ctrl+Alt+Shift+V"},
        {Command::findPrevious, "Find Previous", "Ctrl+Shift+G"},
        {Command::toggleSubscript, "Subscript", "Ctrl+="},
        {Command::toggleSuperscript, "Superscript", "Ctrl+Shift+="},
        {Command::togglePageView, "Page (Approximate)", "Ctrl+Alt+P"},
        {Command::toggleTracking, "Track My Edits", "Ctrl+Shift+E"},
        {Command::toggleFullScreen, "Enter Full Screen", "F11"},
    };
    for (const auto& [command, title, key] : known) {
        const CommandRow* row = MainMenu::build().row(command);
        ASSERT_NE(row, nullptr) << title.toStdString();
        EXPECT_EQ(row->title, title);
        EXPECT_EQ(QKeySequence(row->key), QKeySequence(key)) << title.toStdString();
    }
    EXPECT_EQ(MainMenu::build().action(Command::redo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
}

// Help shows the user's guide, not the developers' README, and lists every key of the
// command table as the menus show it.
TEST_F(MainMenuTest, HelpIsTheGuideWithTheTablesKeys) {
    const QString page = HelpWindow::pageText();
    EXPECT_TRUE(page.startsWith("# Tovin Help")) << page.left(80).toStdString();
    EXPECT_FALSE(page.contains("tovin-cli"));
    EXPECT_TRUE(page.contains("Insert Footnote"));
    int keys = 0;
    for (const CommandRow& row : MainMenu::build().rows()) {
        if (row.key.isEmpty()) continue;
        ++keys;
        EXPECT_TRUE(page.contains("| " + row.title + " |")) << row.title.toStdString();
    }
    EXPECT_GT(keys, 30);
    EXPECT_TRUE(page.contains(QKeySequence("Ctrl+Shift+E").toString(QKeySequence::NativeText)));
}

// Every command has exactly one row, and no key is given to two items: a shortcut that two
// items share fires neither.
TEST_F(MainMenuTest, EachCommandHasOneRowAndEachKeyOneItem) {
    std::map<Command, int> rows;
    std::map<QString, QString> keys;
    for (const CommandRow& row : MainMenu::build().rows()) {
        ++rows[row.command];
        for (const QString& key : {row.key, row.alternateKey}) {
            if (key.isEmpty()) continue;
            const QString normal = QKeySequence(key).toString();
            EXPECT_FALSE(keys.count(normal)) << normal.toStdString() << " is " << keys[normal].toStdString()
                                             << " and " << row.title.toStdString();
            keys[normal] = row.title;
        }
    }
    for (int index = 0; index < commandCount; ++index)
        EXPECT_EQ(rows[Command(index)], 1) << "command " << index;
    EXPECT_EQ(rows.size(), size_t(commandCount));
}

TEST_F(MainMenuTest, ItemsAreEnabledOnlyWhereSomethingCarriesThemOut) {
    MainMenu& menu = MainMenu::build();
    menu.validate();
    // A harness run has no updater, so checking for updates is off.
    EXPECT_FALSE(item("checkForUpdates:")->isEnabled());
    for (const char* selector :
         {"showSettings:", "openDocument:", "terminate:", "orderFrontStandardAboutPanel:"}) {
        EXPECT_TRUE(item(selector)->isEnabled()) << selector;
    }
    // Without a window, nothing that acts on a document or window.
    for (const char* selector : {"performClose:", "saveDocument:", "duplicateDocument:", "performZoom:"}) {
        EXPECT_FALSE(item(selector)->isEnabled()) << selector;
    }

    TovinDocument* document =
        documents().openDocument(writeScratch("notes.docx", documentWithParagraphs({"x"})));
    ASSERT_NE(document, nullptr);
    menu.validate();
    for (const char* selector : {"performClose:", "saveDocument:", "duplicateDocument:", "performZoom:",
                                 "toggleFullScreen:", "clearRecentDocuments:"}) {
        EXPECT_TRUE(item(selector)->isEnabled()) << selector;
    }
    // Nothing to go back to until the document changed or was written.
    EXPECT_FALSE(item("revertDocumentToSaved:")->isEnabled());
    document->updateChangeCount(TovinDocument::ChangeKind::done);
    menu.validate();
    EXPECT_TRUE(item("revertDocumentToSaved:")->isEnabled());
    // Editing commands need something to act on: no undo step yet, no selection.
    for (const char* selector : {"undo:", "redo:", "cut:", "copy:", "delete:"}) {
        EXPECT_FALSE(item(selector)->isEnabled()) << selector;
    }
    for (const char* selector :
         {"selectAll:", "toggleTracking:", "toggleBold:", "alignCenter:", "insertImage:"}) {
        EXPECT_TRUE(item(selector)->isEnabled()) << selector;
    }
    // No change to review, no selection to comment on or link, no image to resize.
    for (const char* selector :
         {"acceptAll:", "nextChange:", "addComment:", "addLink:", "makeImageLarger:"}) {
        EXPECT_FALSE(item(selector)->isEnabled()) << selector;
    }
    // The page commands are; Draft is on, so only leaving it is off.
    for (const char* selector : {"exportPDF:", "printDocument:", "togglePageView:"})
        EXPECT_TRUE(item(selector)->isEnabled()) << selector;
    EXPECT_FALSE(item("showDraft:")->isEnabled());
    EXPECT_TRUE(item("showDraft:")->isChecked());

    // Close through the menu item takes the tab away.
    item("performClose:")->trigger();
    settle();
    EXPECT_TRUE(documents().documents().isEmpty());
}

// Each item answers to its command, and the selector it is known by names one command
// (the find items share one selector and differ by tag).
TEST_F(MainMenuTest, EachItemIsNamedByItsSelectorAndTag) {
    std::set<std::pair<QString, int>> names;
    for (QAction* action : MainMenu::build().actions()) {
        const std::optional<Command> command = MainMenu::commandOf(action);
        ASSERT_TRUE(command.has_value()) << action->text().toStdString();
        EXPECT_EQ(MainMenu::build().action(*command), action);
        EXPECT_TRUE(names.insert({action->objectName(), action->data().toInt()}).second)
            << action->objectName().toStdString();
    }
}

}  // namespace
}  // namespace tovin::testing
