// The Settings window's form: the author name written on tracked changes and comments,
// the updater's automatic-check preference, and the text replacements typing makes.
#pragma once

#include <QPointer>
#include <QWidget>

#include "Tovin/platform/Updater.h"

class QCheckBox;
class QLineEdit;

namespace tovin {

class ReplacementsEditor;

class SettingsView : public QWidget {
    Q_OBJECT
  public:
    // Without an updater (a harness run) the toggle shows off and cannot change.
    explicit SettingsView(Updater* updater, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return name_; }
    QCheckBox* automaticChecksToggle() const { return automaticChecks_; }
    ReplacementsEditor* replacements() const { return replacements_; }

    // The window that holds the form: titled "Settings", with a close button only.
    static QWidget* makeWindow(Updater* updater);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QLineEdit* name_;
    QCheckBox* automaticChecks_;
    ReplacementsEditor* replacements_ = nullptr;
    QPointer<Updater> updater_;
};

}  // namespace tovin
