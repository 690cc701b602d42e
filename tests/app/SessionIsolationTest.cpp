// What one process of Tovin shares with others: a second launch hands its files only to
// a process of the same user on the same display, and a bench run touches none of the
// user's settings or state.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QUuid>

#include "AppTestSupport.h"
#include "Tovin/platform/SingleInstance.h"

namespace tovin::testing {
namespace {

class SessionIsolationTest : public AppTest {};

// Sets the display variables for one test and puts back what was there.
class Displays {
  public:
    Displays() : wayland_(qgetenv("WAYLAND_DISPLAY")), x11_(qgetenv("DISPLAY")) {}
    ~Displays() {
        restore("WAYLAND_DISPLAY", wayland_);
        restore("DISPLAY", x11_);
    }
    QString socketFor(const char* wayland, const char* x11) const {
        restore("WAYLAND_DISPLAY", wayland);
        restore("DISPLAY", x11);
        return SingleInstance::defaultSocketPath();
    }

  private:
    static void restore(const char* name, const QByteArray& value) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray wayland_;
    QByteArray x11_;
};

TEST_F(SessionIsolationTest, EachDisplayHasItsOwnInstance) {
    const Displays displays;
    const QString first = displays.socketFor("", ":1");
    EXPECT_NE(first, displays.socketFor("", ":2"));
    EXPECT_EQ(first, displays.socketFor("", ":1.0")) << "a screen of the same X server is the same display";
    EXPECT_NE(displays.socketFor("wayland-0", ":1"), first) << "Wayland's display counts first";
    EXPECT_NE(displays.socketFor("wayland-0", ""), displays.socketFor("wayland-1", ""));
    EXPECT_TRUE(QFileInfo(displays.socketFor("/run/x/wayland-0", "")).fileName().startsWith("tovin-"))
        << "a display given as a path stays inside the runtime folder";

    // A launch on display :2 does not hand its files to the process on display :1.
    SingleInstance running(first);
    ASSERT_TRUE(running.listen());
    SingleInstance elsewhere(displays.socketFor("", ":2"));
    EXPECT_FALSE(elsewhere.handOff({"/tmp/a.docx"}, 300));
    SingleInstance same(displays.socketFor("", ":1"));
    EXPECT_TRUE(same.handOff({"/tmp/a.docx"}, 2000));
}

// The application itself, in a bench run that types and so autosaves its copy, with the
// user's settings and state folders pointed at a folder the test watches.
TEST(BenchIsolationTest, ABenchRunAddsNothingToTheUsersSettingsOrState) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString config = folder.filePath("config");
    const QString state = folder.filePath("state");
    QDir().mkpath(config);
    QDir().mkpath(state);
    const QString original = folder.filePath("mine.docx");
    writeBytes(original, documentWithParagraphs({"A paragraph to type into.", "Another."}));

    QProcess tovin;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", config);
    environment.insert("XDG_STATE_HOME", state);
    environment.insert("TOVIN_BENCH_OPEN", original);
    environment.insert("TOVIN_BENCH_TYPE", "3");
    environment.insert("TOVIN_BENCH_QUIT", "1");
    environment.remove("TOVIN_TEST_RUNNER");
    tovin.setProcessEnvironment(environment);
    tovin.start(TOVIN_APP_BINARY, {});
    ASSERT_TRUE(tovin.waitForFinished(60000));
    ASSERT_EQ(tovin.exitCode(), 0) << tovin.readAllStandardError().toStdString();

    // No recent file, no restorable window, no kept version: nothing at all.
    const QStringList settingsFiles = QDir(config).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    EXPECT_TRUE(settingsFiles.isEmpty()) << settingsFiles.join(", ").toStdString();
    const QStringList stateFiles = QDir(state).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    EXPECT_TRUE(stateFiles.isEmpty()) << stateFiles.join(", ").toStdString();
}

}  // namespace
}  // namespace tovin::testing
