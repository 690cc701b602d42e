// Sharing a document's file: a small menu standing in for the system's sharing picker, with
// "Open Containing Folder" and "Send by Email…" (the desktop's mail client through
// xdg-email, the file attached).
#pragma once

#include <QString>

class QWidget;

namespace tovin::ShareMenu {

// Pops the menu up at the bottom edge of `sender`.
void show(const QString& filePath, QWidget* sender);

}  // namespace tovin::ShareMenu
