#include "Tovin/pages/HeadlessExport.h"

#include <QFileInfo>
#include <cstdio>
#include <exception>
#include <malloc.h>
#include <unistd.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/FileIO.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PdfExport.h"

namespace tovin::HeadlessExport {

namespace {

int fail(const std::string& file, const std::string& cause) {
    std::fprintf(stderr, "tovin: %s: %s\n", file.c_str(), cause.c_str());
    return 1;
}

// A conversion says one line when it fails and nothing otherwise: Qt's own notes about the
// environment (no runtime folder, fonts it substitutes) are not the user's concern here.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "tovin: %s\n", qPrintable(message));
}

// On a terminal the pages count up on one line; in a pipe or a log nothing is said.
PdfExport::Progress terminalProgress() {
    if (!isatty(fileno(stderr))) return {};
    return [](int done, int total) {
        std::fprintf(stderr, "\rtovin: page %d of %d", done + 1, total);
        if (done + 1 == total) std::fprintf(stderr, "\n");
        std::fflush(stderr);
        return true;
    };
}

}  // namespace

void useOffscreenPlatform() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
}

// A conversion allocates a few hundred megabytes and ends: memory freed on the way (each
// page's stream, the layout's passing buffers) is kept for the next allocation instead of
// being returned to the system and faulted in again, and large blocks come from the heap
// rather than from mappings of their own, each of which the kernel zeroes page by page.
void keepFreedMemory() {
    constexpr int largestHeapBlock = 64 << 20;
    constexpr int keptAtTop = 256 << 20;
    constexpr int grownBy = 16 << 20;
    mallopt(M_MMAP_THRESHOLD, largestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, keptAtTop);
    mallopt(M_TOP_PAD, grownBy);
}

int run(const std::string& output, const std::string& input) {
    std::unique_ptr<rovuvuz::DocxDocument> document;
    try {
        document = rovuvuz::DocxDocument::open(input);
        // A body that does not read would export as blank pages.
        TovinDocument::requireBody(*document);
    } catch (const rovuvuz::FileError& error) {
        return fail(input, error.cause());
    } catch (const DocumentReadError& error) {
        return fail(input, error.reason().toStdString());
    } catch (const std::exception& error) {
        return fail(input, error.what());
    }
    try {
        // The process ends with the export: the layout and the document, a few hundred
        // megabytes of small objects, go with it, sooner than freed one by one.
        const PageLayout& layout = *new PageLayout(*document);
        document.release();
        const QString title = QFileInfo(QString::fromStdString(input)).completeBaseName();
        if (const auto failure = PdfExport::write(layout, QString::fromStdString(output), title, terminalProgress()))
            return fail(output, failure->toStdString());
    } catch (const std::exception& error) {
        return fail(input, error.what());
    }
    return 0;
}

}  // namespace tovin::HeadlessExport
