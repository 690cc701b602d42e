#include "Tovin/document/LockFiles.h"

#include <QDir>
#include <QFileInfo>

namespace tovin::LockFiles {

QString wordOwnerFileName(const QString& name) {
    // Word keeps the owner file's name within the length of the document's: a base name of
    // up to six characters gets "~$" in front, a seventh character makes it drop the first
    // one, and from eight on it drops the first two ("report1.docx" → "~$eport1.docx",
    // "contract.docx" → "~$ntract.docx").
    const qsizetype base = QFileInfo(name).completeBaseName().size();
    const qsizetype dropped = base <= 6 ? 0 : base == 7 ? 1 : 2;
    return QStringLiteral("~$") + name.mid(dropped);
}

std::optional<QString> otherEditorLock(const QString& path) {
    const QFileInfo document(path);
    const QDir folder = document.dir();
    const QString name = document.fileName();
    for (const QString& candidate : {".~lock." + name + "#", wordOwnerFileName(name)}) {
        const QString lock = folder.filePath(candidate);
        if (QFileInfo(lock).isFile()) return lock;
    }
    return std::nullopt;
}

}  // namespace tovin::LockFiles
