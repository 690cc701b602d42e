#include "Tovin/ListEditorFrame.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovin {

ListEditorButtons frameListEditor(QWidget& owner, QWidget& list, const QString& item) {
    ListEditorButtons buttons{new QPushButton(QStringLiteral("+"), &owner),
                              new QPushButton(QStringLiteral("−"), &owner)};
    buttons.add->setAccessibleName(QStringLiteral("Add ") + item);
    buttons.remove->setAccessibleName(QStringLiteral("Remove ") + item);
    auto* row = new QHBoxLayout;
    row->addWidget(buttons.add);
    row->addWidget(buttons.remove);
    row->addStretch();
    auto* layout = new QVBoxLayout(&owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&list);
    layout->addLayout(row);
    return buttons;
}

}  // namespace tovin
