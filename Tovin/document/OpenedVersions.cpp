#include "Tovin/document/OpenedVersions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "RovuVuz/package/FileIO.h"
#include "Tovin/platform/SystemServices.h"

namespace tovin::OpenedVersions {

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
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).path())) {
        throw rovuvuz::FileError(SystemServices::stateDirectory().toStdString(), EACCES,
                                 "create a folder in");
    }
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
