#include "Tovin/document/WriteAccess.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

#include "Tovin/document/LockFiles.h"

namespace tovin::WriteAccess {

namespace {

QString quoted(const QString& name) {
    return QStringLiteral("“") + name + QStringLiteral("”");
}

// The permission bits decide, for the owner too: a process with the power to write
// anyway (root) still respects a file its owner made read-only.
bool lostWritePermission(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return false;
    if (info.st_uid == ::geteuid()) return (info.st_mode & S_IWUSR) == 0;
    return ::access(QFile::encodeName(path).constData(), W_OK) != 0;
}

}  // namespace

std::optional<QString> refusal(const QString& path, const std::optional<QString>& acceptedLock) {
    const QString name = quoted(QFileInfo(path).fileName());
    if (const std::optional<QString> lock = LockFiles::otherEditorLock(path); lock && lock != acceptedLock) {
        return QStringLiteral("%1 has been opened in another application (its lock file %2 appeared), so "
                              "Tovin no longer writes over it.")
            .arg(name, quoted(QFileInfo(*lock).fileName()));
    }
    if (lostWritePermission(path))
        return QStringLiteral("%1 has been made read-only, so Tovin no longer writes over it.").arg(name);
    return std::nullopt;
}

}  // namespace tovin::WriteAccess
