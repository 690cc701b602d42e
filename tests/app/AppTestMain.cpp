// The application tests run against a real QApplication on the offscreen platform, with
// settings, state, data and runtime folders of their own so that nothing of the user's is
// read or written.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>

#include "AppTestSupport.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TOVIN_TEST_RUNNER", "1", 1);
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"}) {
        const QString folder = home.filePath(QString::fromLatin1(variable));
        QDir().mkpath(folder);
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ::setenv(variable, folder.toLocal8Bit().constData(), 1);
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The process a test kills while it autosaves (SaveFaultsTest).
    if (argc == 3 && std::strcmp(argv[1], "--autosave-child") == 0)
        return tovin::testing::runAutosaveChild(QString::fromLocal8Bit(argv[2]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
