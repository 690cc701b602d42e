// Settings and the author name, the command line, and the hand-over between processes.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QUuid>

#include "AppTestSupport.h"
#include "Tovin/CommandLine.h"
#include "Tovin/SettingsView.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/platform/SingleInstance.h"
#include "Tovin/platform/SystemServices.h"

namespace tovin::testing {
namespace {

using AppDelegateTest = AppTest;

TEST_F(AppDelegateTest, SettingsCloseWithEscapeAndWithTheCloseButton) {
    delegate().showSettings();
    QWidget* window = delegate().settingsWindow();
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    QTest::keyClick(qobject_cast<SettingsView*>(window)->nameField(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());

    delegate().showSettings();
    EXPECT_TRUE(window->isVisible());
    auto* buttons = window->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    ASSERT_NE(buttons->button(QDialogButtonBox::Close), nullptr);
    buttons->button(QDialogButtonBox::Close)->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(delegate().settingsWindow(), window);  // kept for the next time
}

TEST_F(AppDelegateTest, TovinHelpShowsTheGuide) {
    MainMenu& menu = MainMenu::build();
    menu.validate();
    QAction* help = menu.action(Command::showHelp);
    ASSERT_TRUE(help->isEnabled());
    help->trigger();
    QTextBrowser* page = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* browser = qobject_cast<QTextBrowser*>(widget); browser && browser->isVisible())
            page = browser;
    }
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), "Tovin Help");
    // The user's guide with the keys, not the developers' README.
    EXPECT_TRUE(page->toPlainText().contains("Insert Footnote"));
    EXPECT_TRUE(page->toPlainText().contains("Keyboard shortcuts"));
    EXPECT_FALSE(page->toPlainText().contains("tovin-cli"));
    page->close();
}

TEST_F(AppDelegateTest, YourNameInSettingsIsTheAuthorNameAndEmptyFallsBackToTheFullName) {
    delegate().showSettings();
    QWidget* window = delegate().settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Settings");
    EXPECT_TRUE(window->isVisible());
    delegate().showSettings();
    EXPECT_EQ(delegate().settingsWindow(), window);  // made once, then brought forward

    auto* view = qobject_cast<SettingsView*>(window);
    ASSERT_NE(view, nullptr);
    QStringList labels;
    for (QLabel* label : view->findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains("Your name"));
    EXPECT_TRUE(labels.contains("Shown on your tracked changes and comments."));
    EXPECT_EQ(view->automaticChecksToggle()->text(), "Check for updates automatically");
    EXPECT_FALSE(view->automaticChecksToggle()->isEnabled());  // no updater in a harness run

    view->nameField()->setText(QString::fromUtf8("Zoë Ångström"));
    EXPECT_EQ(TovinDocument::authorName(), QString::fromUtf8("Zoë Ångström"));
    view->nameField()->clear();

    // The system's full name, read here from getent rather than from the C library.
    QProcess getent;
    getent.start("getent", {"passwd", QString::number(::getuid())});
    ASSERT_TRUE(getent.waitForFinished());
    const QStringList fields = QString::fromLocal8Bit(getent.readAllStandardOutput()).trimmed().split(':');
    ASSERT_GE(fields.size(), 5);
    const QString gecosName = fields[4].section(',', 0, 0).trimmed();
    EXPECT_EQ(TovinDocument::authorName(), gecosName.isEmpty() ? fields[0] : gecosName);
    EXPECT_EQ(SystemServices::fullUserName(), TovinDocument::authorName());
}

TEST_F(AppDelegateTest, TheCommandLineTakesFilesAndLeavesQtsOptionsToQt) {
    struct Row {
        std::vector<std::string> arguments;
        bool help, version;
        std::vector<std::string> files;
        bool error;
    };
    const std::vector<Row> rows = {
        {{"a.docx", "b.docx"}, false, false, {"a.docx", "b.docx"}, false},
        {{"--help"}, true, false, {}, false},
        {{"-v"}, false, true, {}, false},
        {{"-platform", "offscreen", "a.docx", "-style=fusion"}, false, false, {"a.docx"}, false},
        {{"--", "--help"}, false, false, {"--help"}, false},
        {{"--frobnicate", "a.docx"}, false, false, {"a.docx"}, true},
    };
    for (const Row& row : rows) {
        const CommandLine line = CommandLine::parse(row.arguments);
        SCOPED_TRACE(row.arguments.front());
        EXPECT_EQ(line.help, row.help);
        EXPECT_EQ(line.version, row.version);
        EXPECT_EQ(line.files, row.files);
        EXPECT_EQ(!line.error.empty(), row.error);
    }
}

TEST_F(AppDelegateTest, ASecondLaunchHandsItsFilesToTheRunningProcess) {
    const QString socket = scratch("tovin-" + QUuid::createUuid().toString(QUuid::Id128) + ".socket");
    SingleInstance later(socket);
    EXPECT_FALSE(later.handOff({"/nowhere.docx"}, 200));  // nobody listening yet

    SingleInstance running(socket);
    ASSERT_TRUE(running.listen());
    QSignalSpy opened(&running, &SingleInstance::openRequested);
    QSignalSpy reopened(&running, &SingleInstance::reopenRequested);
    const QStringList paths = {"/home/ada/Minutes 3.docx", QString::fromUtf8("/tmp/Résumé.docx")};
    ASSERT_TRUE(later.handOff(paths));
    ASSERT_TRUE(waitFor([&] { return opened.size() == 1; }));
    EXPECT_EQ(opened[0][0].toStringList(), paths);
    ASSERT_TRUE(later.handOff({}));
    ASSERT_TRUE(waitFor([&] { return reopened.size() == 1; }));
    EXPECT_EQ(opened.size(), 1);
}

}  // namespace
}  // namespace tovin::testing
