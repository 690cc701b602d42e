// Shared pieces of the application tests: an alert presenter that records instead of
// blocking, a fixture with a fresh application delegate and a scratch folder, and small
// file helpers.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "RovuVuz/xml/Bytes.h"
#include "Tovin/AppDelegate.h"
#include "Tovin/platform/Alerts.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{' << list.join(", ").toStdString() << '}';
}

namespace tovin::testing {

// Records every alert and answers with the queued button indices (0 when none is queued).
class RecordingPresenter : public AlertPresenter {
  public:
    int present(const Alert& alert, QWidget*) override;

    std::vector<Alert> alerts;
    std::deque<int> answers;
};

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    DocumentController& documents() { return delegate_->documentController(); }
    AppDelegate& delegate() { return *delegate_; }
    RecordingPresenter& presenter() { return *presenter_; }

    // A path in this test's scratch folder.
    QString scratch(const QString& name) const { return folder_.filePath(name); }
    QString writeScratch(const QString& name, const rovuvuz::Bytes& bytes) const;

    // Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
    static bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);
    // Delivers queued deletions and zero-delay timers.
    static void settle();

  private:
    QTemporaryDir folder_;
    std::unique_ptr<AppDelegate> delegate_;
    RecordingPresenter* presenter_ = nullptr;
};

rovuvuz::Bytes readBytes(const QString& path);
void writeBytes(const QString& path, const rovuvuz::Bytes& bytes);
// A .docx whose body holds one paragraph per string.
rovuvuz::Bytes documentWithParagraphs(const QStringList& paragraphs);

// `app-tests --autosave-child PATH`: opens the document at PATH and, for ever, sets its
// first paragraph to "version N" and autosaves it in place, printing "saved N" after each
// save, until it is killed. Returns 1 when a save fails.
int runAutosaveChild(const QString& path);

}  // namespace tovin::testing
