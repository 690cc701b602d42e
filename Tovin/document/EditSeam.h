// The one way a window changes its document outside typing: an undo step is opened, the
// engine is called, and when the engine refuses, the step is abandoned (the package goes
// back to how it was) and the refusal is announced with the engine's reason. Every
// refusal, the engine's or a command's own ("nothing is selected"), beeps and is announced
// here, so the footer can show why for a few seconds and nothing is refused silently.
#pragma once

#include <QObject>
#include <QString>
#include <exception>
#include <functional>

namespace tovin {

class EditorUndo;

class EditSeam : public QObject {
    Q_OBJECT
  public:
    explicit EditSeam(EditorUndo& undo, QObject* parent = nullptr);

    // Makes one edit as one undo step; false when the engine refused it (the document and
    // the undo steps are then as they were), or when the guard refuses every edit now.
    bool run(const std::function<void()>& edit);
    // Asked before every edit: a reason ("This document is open read-only.", page view's)
    // refuses it without calling the engine; an empty one lets it through.
    void setGuard(std::function<QString()> guard) { guard_ = std::move(guard); }
    // A refusal: the beep, and the reason (possibly empty) to whoever shows it.
    void refuse(const QString& reason = {});
    // The reason an engine exception gives, as a sentence.
    static QString reasonOf(const std::exception& error);
    // "the range lies outside the paragraph" as "The range lies outside the paragraph."
    static QString sentence(const QString& reason);

  Q_SIGNALS:
    void refused(const QString& reason);

  private:
    EditorUndo& undo_;
    std::function<QString()> guard_;
};

}  // namespace tovin
