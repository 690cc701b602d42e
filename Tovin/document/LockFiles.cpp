#include "Tovin/document/LockFiles.h"

#include <QDir>
#include <QFileInfo>

namespace tovin::LockFiles {

std::optional<QString> otherEditorLock(const QString& path) {
    const QFileInfo document(path);
    const QDir folder = document.dir();
    const QString name = document.fileName();
    QStringList candidates{".~lock." + name + "#", "~$" + name};
    // Word drops the first two characters of a longer name ("~$port.docx" locks
    // "report.docx"); where that starts depends on the length, so both forms are looked for.
    if (name.size() > 2) candidates.append("~$" + name.mid(2));
    for (const QString& candidate : candidates) {
        const QString lock = folder.filePath(candidate);
        if (QFileInfo(lock).isFile()) return lock;
    }
    return std::nullopt;
}

}  // namespace tovin::LockFiles
