// Autosave in place for one document: after edits, once they pause (or at the latest a
// while after the first unsaved one), the document is written over its own file with the
// engine's atomic, verified write. Before the first write the file as it was opened is
// kept (OpenedVersions). A failed save is always reported, never dropped.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

namespace tovin {

class TovinDocument;

class AutosaveInPlace : public QObject {
    Q_OBJECT
  public:
    static constexpr int defaultPauseMs = 2000;
    static constexpr int defaultLongestWaitMs = 30000;

    explicit AutosaveInPlace(TovinDocument* document, QObject* parent = nullptr);

    // How long edits must pause before a save, and the longest a change waits however
    // long typing goes on.
    void setDelays(int pauseMs, int longestWaitMs);

    // Writes the document now when it has unsaved changes (or `force`); true when
    // nothing needed saving or the save succeeded. On failure the document stays edited,
    // the file untouched, and the caller reports lastError(); a save the timer started
    // reports through `failed`.
    bool saveNow(bool force = false);
    // The reason of the last failure, in the engine's words.
    const QString& lastError() const { return lastError_; }

    bool isPending() const { return pause_.isActive(); }

  Q_SIGNALS:
    void failed(tovin::TovinDocument* document, const QString& reason);
    void saved(tovin::TovinDocument* document);

  private:
    void changed(bool edited);
    void fire();
    void keepOpenedVersion();

    QPointer<TovinDocument> document_;
    QTimer pause_;
    QTimer longestWait_;
    bool keptOpenedVersion_ = false;
    QString lastError_;
};

}  // namespace tovin
