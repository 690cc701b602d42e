// The Settings window's form: the author name written on tracked changes and comments,
// the updater's automatic-check preference, the text replacements typing makes, and the
// words the user taught the spelling checker.
#pragma once

#include <QPointer>
#include <QWidget>

#include "Tovin/platform/Updater.h"

class QCheckBox;
class QLineEdit;

namespace tovin {

class LearnedWordsEditor;
class ReplacementsEditor;

class SettingsView : public QWidget {
    Q_OBJECT
  public:
    // Without an updater (a harness run) the toggle shows off and cannot change.
    explicit SettingsView(Updater* updater, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return name_; }
    QCheckBox* automaticChecksToggle() const { return automaticChecks_; }
    ReplacementsEditor* replacements() const { return replacements_; }
    LearnedWordsEditor* learnedWords() const { return learnedWords_; }

    // The window that holds the form: titled "Settings", with a close button only.
    static QWidget* makeWindow(Updater* updater);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QLineEdit* name_;
    QCheckBox* automaticChecks_;
    ReplacementsEditor* replacements_ = nullptr;
    LearnedWordsEditor* learnedWords_ = nullptr;
    QPointer<Updater> updater_;
};

}  // namespace tovin
