// Autosave in place for one document: after edits, once they pause (or at the latest a
// while after the first unsaved one), the document is written over its own file with the
// engine's atomic, verified write. Before the first write the file as it was opened is
// kept (OpenedVersions), as well as that can be done: a failure there is reported once and
// the save goes on. A failed save is reported once, then retried quietly until one
// succeeds; the document stays edited meanwhile, so nothing is lost. A document that is
// read-only, or became so while open, is never written and never reported as saved; nor is
// an untitled one, which has no file until Save names one.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <optional>

namespace tovin {

class TovinDocument;

class AutosaveInPlace : public QObject {
    Q_OBJECT
  public:
    static constexpr int defaultPauseMs = 2000;
    static constexpr int defaultLongestWaitMs = 30000;
    static constexpr int defaultRetryMs = 15000;

    explicit AutosaveInPlace(TovinDocument* document, QObject* parent = nullptr);

    // How long edits must pause before a save, and the longest a change waits however
    // long typing goes on.
    void setDelays(int pauseMs, int longestWaitMs);
    // How long after a failed save the next try comes.
    void setRetryDelay(int retryMs) { retry_.setInterval(retryMs); }

    // Writes the document now when it has unsaved changes (or `force`); true when
    // nothing needed saving or the save succeeded. On failure the document stays edited,
    // the file untouched, a quiet retry is scheduled, and the caller reports lastError().
    // A document found read-only (a lock appeared beside its file, or the file lost its
    // write permission) is marked so and fails with that reason.
    bool saveNow(bool force = false);
    // The reason of the last failure, in the engine's words.
    const QString& lastError() const { return lastError_; }
    // Whether a failure should be shown now: true once per run of failed saves, which
    // ends when a save succeeds.
    bool claimFailureAlert();

    bool isPending() const { return pause_.isActive(); }
    bool isRetrying() const { return retry_.isActive(); }

  Q_SIGNALS:
    // A save the timer started failed, and nobody was told of this run of failures yet.
    void failed(tovin::TovinDocument* document, const QString& reason);
    void saved(tovin::TovinDocument* document);
    // The opened version could not be kept; the save went on without it.
    void openedVersionNotKept(tovin::TovinDocument* document, const QString& reason);

  private:
    void changed(bool edited);
    void fire();
    bool write();
    bool fail(const QString& reason);
    void keepOpenedVersion();

    QPointer<TovinDocument> document_;
    QTimer pause_;
    QTimer longestWait_;
    QTimer retry_;
    bool keptOpenedVersion_ = false;
    bool failureAlerted_ = false;
    // Another editor's lock that was beside the file when it was opened, which the user
    // chose to open anyway (or read-only): only a lock that appears later counts.
    std::optional<QString> acceptedLock_;
    QString lastError_;
};

}  // namespace tovin
