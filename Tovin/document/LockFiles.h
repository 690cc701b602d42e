// Lock files other editors leave beside a document they have open: LibreOffice writes
// ".~lock.NAME#", Microsoft Word an owner file "~$" and the name, shortened at the front
// for longer names.
#pragma once

#include <QString>
#include <optional>

namespace tovin::LockFiles {

// The name of the owner file Word writes beside the document named `name`.
QString wordOwnerFileName(const QString& name);

// The lock file beside the document at `path` that another editor holds, if any.
std::optional<QString> otherEditorLock(const QString& path);

}  // namespace tovin::LockFiles
