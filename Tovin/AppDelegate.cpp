#include "Tovin/AppDelegate.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include "Tovin/Bench.h"
#include "Tovin/CommandTable.h"
#include "Tovin/SettingsView.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/platform/TabbedWindow.h"
#include "Tovin/platform/Updater.h"
#include "Tovin/platform/UserDefaults.h"
#include "Tovin/text/Substitutions.h"

namespace tovin {

AppDelegate::AppDelegate(QObject* parent)
    : QObject(parent),
      documents_(new DocumentController(
          [](TovinDocument* document, DocumentController& documents) {
              return new EditorWindowController(document, documents);
          },
          this)) {
    CommandTable::install(*this);
}

AppDelegate::~AppDelegate() {
    // The table's handlers refer to this delegate and its documents.
    MainMenu::build().install({});
    delete settingsWindow_;
}

bool AppDelegate::isHarness() {
    static const bool harness =
        qEnvironmentVariableIsSet("TOVIN_BENCH_OPEN") || qEnvironmentVariableIsSet("TOVIN_TEST_RUNNER");
    return harness;
}

void AppDelegate::applicationDidFinishLaunching() {
    // Windows come back on relaunch even after quitting, unless the user turned it off.
    UserDefaults::registerDefaults({{"NSQuitAlwaysKeepsWindows", true}, {"authorName", QString()}});
    Substitutions::registerDefaults();
    if (!isHarness()) updater_ = std::make_unique<Updater>();
    MainMenu::build().scheduleValidation();
    if (Bench::isBenchRun()) Bench::open(qEnvironmentVariable("TOVIN_BENCH_OPEN"));
}

void AppDelegate::openAtLaunch(const QStringList& paths) {
    // A bench run shows its copy alone: no windows of the last session, no Open dialog.
    if (!Bench::isBenchRun()) documents_->restoreWindows();
    for (const QString& path : paths) documents_->openDocument(path);
    if (!Bench::isBenchRun()) applicationShouldHandleReopen(documents_->hasVisibleWindows());
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows) {
    if (!hasVisibleWindows) documents_->newDocument();
    return true;
}

void AppDelegate::showSettings() {
    if (!settingsWindow_) {
        settingsWindow_ = SettingsView::makeWindow(updater_.get());
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), settingsWindow_->sizeHint());
            frame.moveCenter(screen->availableGeometry().center());
            settingsWindow_->move(frame.topLeft());
        }
    }
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
}

void AppDelegate::checkForUpdates() {
    if (updater_) updater_->checkForUpdates();
}

bool AppDelegate::canCheckForUpdates() const {
    return updater_ && updater_->canCheckForUpdates();
}

void AppDelegate::showAbout() {
    QMessageBox::about(
        TabbedWindow::frontmost(), QStringLiteral("About Tovin"),
        QStringLiteral("<b>Tovin</b> %1<br>A word processor for .docx files that writes back every "
                       "byte you did not change.")
            .arg(QStringLiteral(TOVIN_VERSION)));
}

}  // namespace tovin
