// The Settings window's list of text replacements: what is typed and what it becomes, one
// row each, edited in place; Add and Remove change the list. Every change is stored at once.
#pragma once

#include <QWidget>

class QTableWidget;

namespace tovin {

class ReplacementsEditor : public QWidget {
    Q_OBJECT
  public:
    explicit ReplacementsEditor(QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    void addRow();
    void removeSelectedRows();

  private:
    void load();
    void store();

    QTableWidget* table_;
    bool loading_ = false;
};

}  // namespace tovin
