// The application's delegate: what happens at launch and on reopen, the Settings window,
// the About panel, the updater, and the Quit command's way out through the documents.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace tovin {

class DocumentController;
class Updater;

class AppDelegate : public QObject {
    Q_OBJECT
  public:
    // Makes the document controller and installs the command table in the menu.
    explicit AppDelegate(QObject* parent = nullptr);
    ~AppDelegate() override;

    // True in a bench run (TOVIN_BENCH_OPEN) or under a test runner (TOVIN_TEST_RUNNER);
    // computed once.
    static bool isHarness();

    // Registers the defaults and, unless this is a harness run, creates the updater; in a
    // bench run, hands the document to benchmark to the bench.
    void applicationDidFinishLaunching();
    // Opens the files given at launch after restoring the last session's windows; with
    // nothing to show, behaves as a reopen.
    void openAtLaunch(const QStringList& paths);
    // Launched again (or its launcher clicked) with no window visible: a new, untitled
    // document, as File > New makes.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);

    void showSettings();
    void checkForUpdates();
    bool canCheckForUpdates() const;
    void showAbout();

    DocumentController& documentController() { return *documents_; }
    Updater* updater() const { return updater_.get(); }
    QWidget* settingsWindow() const { return settingsWindow_; }

  private:
    DocumentController* documents_;
    std::unique_ptr<Updater> updater_;
    QPointer<QWidget> settingsWindow_;
};

}  // namespace tovin
