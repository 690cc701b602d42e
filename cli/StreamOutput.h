// Output files that are streams rather than files: an existing FIFO, character device
// (/dev/null, a terminal, a serial line) or Unix socket named with -o. Such a target is
// written to as it is, like standard output with "-o -"; replacing it with a regular file
// would leave a reader at the FIFO or socket waiting and destroy a device node.
#pragma once

#include <string>

#include "RovuVuz/xml/Bytes.h"

namespace tovin::cli {

// Whether `path` names an existing FIFO, character device or socket (links followed).
bool isStreamTarget(const std::string& path);

// Writes the bytes to such a target: a FIFO or device is opened for writing (waiting for
// a reader, as a shell's redirection does), a socket is connected to as a stream. Throws
// FileError naming the path and the cause.
void writeStream(const std::string& path, rovuvuz::ByteView bytes);

}  // namespace tovin::cli
