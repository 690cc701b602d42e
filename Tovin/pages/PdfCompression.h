// How hard Qt's PDF writer compresses what it writes. The writer deflates every page's
// content stream at zlib's default level and offers no setting for it; a page of text is
// mostly one positioning command per glyph, about 80 KB a page, and at the default level
// compressing it takes a quarter of a long export. A `FasterStreams` scope asks for a
// faster level while pages are drawn on its thread: the PDF grows by about a third, every
// byte of it the same PDF once inflated.
#pragma once

namespace tovin::PdfCompression {

// zlib's level 3: the fastest of its matchers that still finds the repeats a page's
// glyph commands are made of (levels 1 and 2 save little more time and write a PDF half
// again as large).
constexpr int fasterLevel = 3;

// While one lives, streams that zlib starts on this thread at its default level are
// compressed at `level` (a stream that asks for a level of its own keeps it). Scopes nest.
class FasterStreams {
  public:
    explicit FasterStreams(int level = fasterLevel);
    ~FasterStreams();
    FasterStreams(const FasterStreams&) = delete;
    FasterStreams& operator=(const FasterStreams&) = delete;

  private:
    int previous_;
};

// The level streams started now on this thread get in place of zlib's default; -1 (zlib's
// Z_DEFAULT_COMPRESSION) outside any scope.
int defaultLevel();

}  // namespace tovin::PdfCompression
