// `tovin --export-pdf OUT.pdf FILE`: a document converted to PDF without a window or a
// display, for people converting many files. Qt runs on its offscreen platform.
#pragma once

#include <string>

namespace tovin::HeadlessExport {

// Qt's platform for a run without a display; set before the application object exists.
void useOffscreenPlatform();
// Tunes the allocator for a process that converts and ends; set before the application
// object exists.
void keepFreedMemory();

// Opens `input`, lays it out and writes `output`. Returns the exit code: 0, or 1 after one
// line on standard error naming the file and the cause.
int run(const std::string& output, const std::string& input);

}  // namespace tovin::HeadlessExport
