#include "Tovin/LearnedWordsEditor.h"

#include <QListWidget>
#include <QPushButton>

#include "Tovin/ListEditorFrame.h"
#include "Tovin/platform/PersonalDictionary.h"

namespace tovin {

LearnedWordsEditor::LearnedWordsEditor(QWidget* parent) : QWidget(parent), list_(new QListWidget(this)) {
    list_->setObjectName(QStringLiteral("LearnedWords"));
    list_->setMinimumHeight(100);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const ListEditorButtons buttons = frameListEditor(*this, *list_, QStringLiteral("Word"));
    connect(buttons.add, &QPushButton::clicked, this, &LearnedWordsEditor::addRow);
    connect(buttons.remove, &QPushButton::clicked, this, &LearnedWordsEditor::removeSelectedRows);
    connect(list_, &QListWidget::itemChanged, this, [this] {
        if (!loading_) store();
    });
    // A word learned from a document while Settings is open shows up here.
    connect(&PersonalDictionary::shared(), &PersonalDictionary::changed, this, [this] {
        if (!loading_) load();
    });
    load();
}

void LearnedWordsEditor::load() {
    loading_ = true;
    list_->clear();
    for (const QString& word : PersonalDictionary::shared().words()) {
        auto* item = new QListWidgetItem(word, list_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    loading_ = false;
}

void LearnedWordsEditor::store() {
    QStringList words;
    for (int row = 0; row < list_->count(); ++row) words << list_->item(row)->text();
    // A row being filled in is kept once it holds a word; the dictionary drops empty ones.
    loading_ = true;
    PersonalDictionary::shared().setWords(words);
    loading_ = false;
}

void LearnedWordsEditor::addRow() {
    loading_ = true;
    auto* item = new QListWidgetItem(QString(), list_);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    loading_ = false;
    list_->setCurrentItem(item);
    list_->editItem(item);
}

void LearnedWordsEditor::removeSelectedRows() {
    QList<QListWidgetItem*> rows = list_->selectedItems();
    if (rows.isEmpty() && list_->currentItem()) rows << list_->currentItem();
    loading_ = true;
    qDeleteAll(rows);
    loading_ = false;
    store();
}

}  // namespace tovin
