#include "Tovin/ReplacementsEditor.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <set>

#include "Tovin/ListEditorFrame.h"
#include "Tovin/text/Substitutions.h"

namespace tovin {

ReplacementsEditor::ReplacementsEditor(QWidget* parent) : QWidget(parent), table_(new QTableWidget(0, 2, this)) {
    table_->setHorizontalHeaderLabels({QStringLiteral("Replace"), QStringLiteral("With")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setMinimumHeight(120);
    const ListEditorButtons buttons = frameListEditor(*this, *table_, QStringLiteral("Replacement"));
    connect(buttons.add, &QPushButton::clicked, this, &ReplacementsEditor::addRow);
    connect(buttons.remove, &QPushButton::clicked, this, &ReplacementsEditor::removeSelectedRows);
    connect(table_, &QTableWidget::itemChanged, this, [this] {
        if (!loading_) store();
    });
    load();
}

void ReplacementsEditor::load() {
    loading_ = true;
    const auto list = Substitutions::current().replacements;
    table_->setRowCount(int(list.size()));
    for (int row = 0; row < int(list.size()); ++row) {
        table_->setItem(row, 0, new QTableWidgetItem(list[size_t(row)].first));
        table_->setItem(row, 1, new QTableWidgetItem(list[size_t(row)].second));
    }
    loading_ = false;
}

void ReplacementsEditor::store() {
    std::vector<std::pair<QString, QString>> list;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QTableWidgetItem* shortcut = table_->item(row, 0);
        const QTableWidgetItem* with = table_->item(row, 1);
        // A row being filled in is kept once it says what to replace.
        if (shortcut && !shortcut->text().isEmpty()) list.emplace_back(shortcut->text(), with ? with->text() : QString());
    }
    Substitutions::setReplacements(list);
}

void ReplacementsEditor::addRow() {
    const int row = table_->rowCount();
    table_->insertRow(row);
    table_->setCurrentCell(row, 0);
    table_->editItem(table_->item(row, 0));
}

void ReplacementsEditor::removeSelectedRows() {
    std::set<int, std::greater<>> rows;
    for (const QTableWidgetItem* item : table_->selectedItems()) rows.insert(item->row());
    if (rows.empty() && table_->currentRow() >= 0) rows.insert(table_->currentRow());
    for (int row : rows) table_->removeRow(row);
    store();
}

}  // namespace tovin
