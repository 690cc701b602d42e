// PDF export of a long document beside a floor measured in the same run:
//
//     tovin-pdf-bench FILE.docx [RUNS]
//
// times reading the document, laying its pages out and writing the PDF, against Qt
// printing the same body text, as plain text in one QTextDocument, to a QPdfWriter: what
// any PDF of these words costs with Qt's own layout and no formatting. One untimed round
// of each first (fonts loaded, caches warm for both), then RUNS rounds (default 3), each
// Tovin then the floor back to back; prints the medians, the ratio, and one
// `TOVIN_PDF_BENCH` line for scripts. Runs on the offscreen platform. Tovin compresses its
// pages at a faster zlib level than Qt's default (PdfCompression.h); the floor is also
// measured at that level, as a second figure, so that the share of the ratio that level
// makes shows.
#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/pages/HeadlessExport.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PdfCompression.h"
#include "Tovin/pages/PdfExport.h"

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Work>
double timeMs(Work work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// The body's paragraphs, table cells included, one per line.
QString plainBody(rovuvuz::DocxDocument& document) {
    QString text;
    std::vector<const std::vector<rovuvuz::BlockSnapshot>*> pending;
    const auto snapshot = document.snapshot(rovuvuz::StoryID::body());
    const auto add = [&](const auto& self, const std::vector<rovuvuz::BlockSnapshot>& blocks) -> void {
        for (const auto& block : blocks) {
            if (const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value)) {
                text += QString::fromStdU16String(p->text);
                text += '\n';
            } else if (const auto* t = std::get_if<rovuvuz::TableSnapshot>(&block.value)) {
                for (const auto& row : t->rows)
                    for (const auto& cell : row) self(self, cell.blocks);
            }
        }
    };
    add(add, snapshot.blocks);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tovin-pdf-bench FILE.docx [RUNS]\n");
        return 2;
    }
    tovin::HeadlessExport::useOffscreenPlatform();
    QGuiApplication application(argc, argv);
    const std::string file = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    int pages = 0;
    qint64 bytes = 0;
    double layoutMs = 0;
    const auto tovin = [&] {
        QElapsedTimer phase;
        phase.start();
        auto document = rovuvuz::DocxDocument::open(file);
        const tovin::PageLayout layout(*document);
        layoutMs = phase.nsecsElapsed() / 1e6;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter writer(&out);
        writer.setResolution(72);
        tovin::PdfExport::preparePage(layout, writer);
        tovin::PdfExport::render(layout, writer, 0, static_cast<int>(layout.pages().size()) - 1);
        pages = static_cast<int>(layout.pages().size());
        bytes = out.size();
    };
    auto document = rovuvuz::DocxDocument::open(file);
    const QString text = plainBody(*document);
    const auto floor = [&] {
        QTextDocument plain;
        plain.setPlainText(text);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter writer(&out);
        plain.print(&writer);
    };

    const auto fasterFloor = [&] {
        const tovin::PdfCompression::FasterStreams faster;
        floor();
    };

    tovin();
    floor();
    std::vector<double> tovinTimes, layoutTimes, floorTimes, fasterTimes;
    for (int i = 0; i < runs; ++i) {
        tovinTimes.push_back(timeMs(tovin));
        layoutTimes.push_back(layoutMs);
        floorTimes.push_back(timeMs(floor));
        fasterTimes.push_back(timeMs(fasterFloor));
    }
    const double tovinMs = median(tovinTimes);
    const double floorMs = median(floorTimes);
    const double fasterMs = median(fasterTimes);
    std::printf("tovin read + lay out + PDF   %8.0f ms  %d pages, %lld bytes\n", tovinMs, pages,
                static_cast<long long>(bytes));
    std::printf("  of which read + lay out    %8.0f ms\n", median(layoutTimes));
    std::printf("floor QTextDocument::print   %8.0f ms  (the same text, plain)\n", floorMs);
    std::printf("ratio tovin / floor          %8.2f\n", tovinMs / floorMs);
    std::printf("floor at tovin's zlib level  %8.0f ms  (ratio %.2f)\n", fasterMs, tovinMs / fasterMs);
    std::printf("TOVIN_PDF_BENCH tovin_ms=%.0f layout_ms=%.0f floor_ms=%.0f floor_fast_ms=%.0f pages=%d\n", tovinMs,
                median(layoutTimes), floorMs, fasterMs, pages);
    return 0;
}
