// Lock files other editors leave beside a document they have open: LibreOffice writes
// ".~lock.NAME#", Microsoft Word "~$NAME", or "~$" and the name without
// its first two characters.
#pragma once

#include <QString>
#include <optional>

namespace tovin::LockFiles {

// The lock file beside the document at `path` that another editor holds, if any.
std::optional<QString> otherEditorLock(const QString& path);

}  // namespace tovin::LockFiles
