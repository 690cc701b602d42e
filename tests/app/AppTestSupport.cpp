#include "AppTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/platform/UserDefaults.h"
#include "support/TestSupport.h"

namespace tovin::testing {

int RecordingPresenter::present(const Alert& alert, QWidget*) {
    alerts.push_back(alert);
    if (answers.empty()) return 0;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void AppTest::SetUp() {
    ASSERT_TRUE(folder_.isValid());
    UserDefaults::settings().clear();
    auto presenter = std::make_unique<RecordingPresenter>();
    presenter_ = presenter.get();
    Alerts::setPresenter(std::move(presenter));
    delegate_ = std::make_unique<AppDelegate>();
    delegate_->applicationDidFinishLaunching();
    documents().setAutosaveDelays(20, 200);
    documents().setPathChooser([](bool, const QString&) { return QStringList(); });
}

void AppTest::TearDown() {
    delegate_.reset();
    settle();
    Alerts::setPresenter(nullptr);
    UserDefaults::settings().clear();
}

QString AppTest::writeScratch(const QString& name, const rovuvuz::Bytes& bytes) const {
    const QString path = scratch(name);
    writeBytes(path, bytes);
    return path;
}

bool AppTest::waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return done();
}

void AppTest::settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

rovuvuz::Bytes readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    return rovuvuz::Bytes(data.begin(), data.end());
}

void writeBytes(const QString& path, const rovuvuz::Bytes& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

rovuvuz::Bytes documentWithParagraphs(const QStringList& paragraphs) {
    std::string body;
    for (const QString& text : paragraphs)
        body += "<w:p><w:r><w:t>" + text.toStdString() + "</w:t></w:r></w:p>";
    return *rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(body));
}

}  // namespace tovin::testing
