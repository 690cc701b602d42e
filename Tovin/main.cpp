// The entry point: the application object, its delegate and menu bar, then the event loop.
// A second launch hands its files to the running process instead.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>

#include "Tovin/AppDelegate.h"
#include "Tovin/Bench.h"
#include "Tovin/CommandLine.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/pages/HeadlessExport.h"
#include "Tovin/platform/SingleInstance.h"
#include "Tovin/platform/UserDefaults.h"

namespace {

std::vector<std::string> argumentsAfterProgram(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
    // Help, version and usage errors need no display, so they are answered before Qt starts.
    const tovin::CommandLine line = tovin::CommandLine::parse(argumentsAfterProgram(argc, argv));
    if (line.help) {
        std::fputs(tovin::CommandLine::usage().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("tovin %s\n", TOVIN_VERSION);
        return 0;
    }
    if (!line.error.empty()) {
        std::fprintf(stderr, "tovin: %s\n%s", line.error.c_str(), tovin::CommandLine::usage().c_str());
        return 2;
    }

    if (!line.exportPdf.empty()) {
        tovin::HeadlessExport::useOffscreenPlatform();
        tovin::HeadlessExport::keepFreedMemory();
        QGuiApplication application(argc, argv);
        return tovin::HeadlessExport::run(line.exportPdf, line.files.front());
    }

    // A bench run reads and writes settings and state of its own, never the user's.
    std::unique_ptr<QTemporaryDir> benchHome;
    if (tovin::Bench::isBenchRun()) {
        benchHome = tovin::Bench::isolateUserState();
        if (!benchHome) {
            std::fprintf(stderr, "tovin: cannot make a folder for the bench run's settings\n");
            return 1;
        }
    }

    QApplication application(argc, argv);
    QApplication::setOrganizationName("Tovin");
    QApplication::setApplicationName("Tovin");
    QApplication::setApplicationVersion(TOVIN_VERSION);
    QApplication::setDesktopFileName("tovin");
    QApplication::setWindowIcon(QIcon(":/tovin.svg"));

    QStringList paths;
    for (const std::string& file : line.files)
        paths.append(QFileInfo(QString::fromStdString(file)).absoluteFilePath());

    // A bench run is a process of its own: it neither hands its work to a running
    // instance nor takes files from later launches.
    tovin::SingleInstance instance;
    if (!tovin::Bench::isBenchRun()) {
        if (instance.handOff(paths)) return 0;
        instance.listen();
    }

    tovin::AppDelegate delegate;
    QObject::connect(&instance, &tovin::SingleInstance::openRequested, &delegate,
                     [&delegate](const QStringList& files) {
                         for (const QString& file : files) delegate.documentController().openDocument(file);
                     });
    QObject::connect(&instance, &tovin::SingleInstance::reopenRequested, &delegate, [&delegate] {
        delegate.applicationShouldHandleReopen(delegate.documentController().hasVisibleWindows());
    });

    delegate.applicationDidFinishLaunching();
    delegate.openAtLaunch(paths);
    const int status = application.exec();
    // Settings left unwritten would be written when their object goes, after main, into
    // a bench run's folder already removed: they are written now.
    tovin::UserDefaults::settings().sync();
    return status;
}
