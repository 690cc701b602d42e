// Whether Tovin may still write over a document's file. A file can stop being Tovin's to
// write while it is open: another editor opens it and leaves its lock file beside it, or
// its write permission is taken away. Saving over it then would destroy the other
// editor's work or override the owner's decision, so the document becomes read-only.
#pragma once

#include <QString>
#include <optional>

namespace tovin::WriteAccess {

// Why the file at `path` must not be written over now, as a sentence; nothing when it may
// be. `acceptedLock` is a lock file that was there when the document was opened and the
// user chose to open it anyway. A file that is gone may be written (saving puts it back).
std::optional<QString> refusal(const QString& path, const std::optional<QString>& acceptedLock);

}  // namespace tovin::WriteAccess
