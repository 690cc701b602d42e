#include "Tovin/editor/ShareMenu.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QUrl>
#include <QWidget>

namespace tovin::ShareMenu {

void show(const QString& filePath, QWidget* sender) {
    if (filePath.isEmpty() || !sender) return;
    auto* menu = new QMenu(sender);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Open Containing Folder"), [filePath] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(filePath).absolutePath()));
    });
    menu->addAction(QStringLiteral("Send by Email…"), [filePath] {
        QProcess::startDetached(QStringLiteral("xdg-email"), {QStringLiteral("--attach"), filePath});
    });
    menu->popup(sender->mapToGlobal(QPoint(0, sender->height())));
}

}  // namespace tovin::ShareMenu
