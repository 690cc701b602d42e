#include "Tovin/pages/PdfCompression.h"

#include <zlib.h>

namespace tovin::PdfCompression {

namespace {

// By thread: an export on one thread leaves a stream another thread starts at its own level.
thread_local int scopeLevel = Z_DEFAULT_COMPRESSION;

}  // namespace

FasterStreams::FasterStreams(int level) : previous_(scopeLevel) {
    scopeLevel = level;
}

FasterStreams::~FasterStreams() {
    scopeLevel = previous_;
}

int defaultLevel() {
    return scopeLevel;
}

}  // namespace tovin::PdfCompression

// Qt's PDF writer starts each stream with zlib's deflateInit(), asking for the default
// level. This definition stands in for zlib's own in this program (the dynamic linker
// binds the writer's call to the program before the library) and passes everything on to
// deflateInit2() with the parameters deflateInit() documents (a 32 KB window, memory level
// 8, the default strategy), changing only a default level inside a FasterStreams scope.
extern "C" int deflateInit_(z_streamp stream, int level, const char* version, int streamSize) {
    if (level == Z_DEFAULT_COMPRESSION) level = tovin::PdfCompression::defaultLevel();
    constexpr int windowBits = MAX_WBITS;
    constexpr int memoryLevel = 8;
    return deflateInit2_(stream, level, Z_DEFLATED, windowBits, memoryLevel, Z_DEFAULT_STRATEGY, version,
                         streamSize);
}
