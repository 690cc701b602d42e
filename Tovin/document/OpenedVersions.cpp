#include "Tovin/document/OpenedVersions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

#include "RovuVuz/package/FileIO.h"
#include "Tovin/platform/SystemServices.h"

namespace tovin::OpenedVersions {

namespace {

// Makes `folder` and its missing parents; throws FileError naming the first one that
// could not be made and why ("not a directory" when a file stands in the way).
void makeFolders(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    qsizetype next = clean.startsWith('/') ? 1 : 0;
    while (next <= clean.size()) {
        qsizetype slash = clean.indexOf('/', next);
        if (slash < 0) slash = clean.size();
        const QString prefix = clean.left(slash);
        next = slash + 1;
        if (prefix.isEmpty()) continue;
        const QByteArray native = QFile::encodeName(prefix);
        if (::mkdir(native.constData(), 0700) == 0) continue;
        const int error = errno;
        struct stat info {};
        if (error == EEXIST && ::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
        throw rovuvuz::FileError(native.toStdString(), error == EEXIST ? ENOTDIR : error, "create the folder");
    }
}

}  // namespace

QString copyPath(const QString& documentPath) {
    const QString state = SystemServices::stateDirectory();
    if (state.isEmpty()) return {};
    // Named by a hash of the path: any path is a valid key, and two documents that
    // share a file name do not collide.
    const QByteArray hash =
        QCryptographicHash::hash(documentPath.toUtf8(), QCryptographicHash::Sha256).toHex();
    return state + "/opened/" + QString::fromLatin1(hash.left(32)) + "-" + QFileInfo(documentPath).fileName();
}

void keep(const QString& documentPath, rovuvuz::ByteView bytes) {
    const QString path = copyPath(documentPath);
    makeFolders(QFileInfo(path).path());
    rovuvuz::FileIO::writeAtomically(path.toStdString(), bytes);
}

bool hasKept(const QString& documentPath) {
    const QString path = copyPath(documentPath);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

std::optional<rovuvuz::SharedBytes> kept(const QString& documentPath) {
    const QString path = copyPath(documentPath);
    if (path.isEmpty() || !QFileInfo::exists(path)) return std::nullopt;
    try {
        return rovuvuz::FileIO::read(path.toStdString());
    } catch (const rovuvuz::FileError&) {
        return std::nullopt;
    }
}

}  // namespace tovin::OpenedVersions
