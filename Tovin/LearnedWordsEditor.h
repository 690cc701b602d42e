// The Settings window's list of the words the user taught the spelling checker (Learn
// Spelling): one word a row, edited in place; Add and Remove change the list. Every change
// is stored at once and every open window checks its text again.
#pragma once

#include <QWidget>

class QListWidget;

namespace tovin {

class LearnedWordsEditor : public QWidget {
    Q_OBJECT
  public:
    explicit LearnedWordsEditor(QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    void addRow();
    void removeSelectedRows();

  private:
    void load();
    void store();

    QListWidget* list_;
    bool loading_ = false;
};

}  // namespace tovin
