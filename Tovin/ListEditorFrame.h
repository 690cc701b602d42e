// The frame Settings gives an editable list: the list over a row of + and − buttons.
#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace tovin {

struct ListEditorButtons {
    QPushButton* add = nullptr;
    QPushButton* remove = nullptr;
};

// Lays `list` out over its buttons in `owner`; the buttons are named "Add <item>" and
// "Remove <item>" for assistive technology.
ListEditorButtons frameListEditor(QWidget& owner, QWidget& list, const QString& item);

}  // namespace tovin
