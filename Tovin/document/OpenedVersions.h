// The version of a document as it was opened, kept in the user's state folder before
// the first time Tovin writes over the file, so that "Revert To" can always go back to
// it even after autosave in place has replaced the file.
#pragma once

#include <QString>
#include <optional>

#include "RovuVuz/xml/Bytes.h"

namespace tovin::OpenedVersions {

// Where the copy of the document at `documentPath` is kept: one file per document path
// under <state folder>/opened/.
QString copyPath(const QString& documentPath);

// Keeps `bytes` as the opened version of the document, replacing an older one; throws
// rovuvuz::FileError naming the folder or file that could not be made, and why.
void keep(const QString& documentPath, rovuvuz::ByteView bytes);

bool hasKept(const QString& documentPath);
// The kept version, if there is one.
std::optional<rovuvuz::SharedBytes> kept(const QString& documentPath);

}  // namespace tovin::OpenedVersions
