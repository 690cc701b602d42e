#include "Tovin/pages/PdfExport.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PdfCompression.h"

namespace tovin::PdfExport {

namespace {

// PDF user space is in points: with the writer at 72 dots per inch a device unit is one.
constexpr int pointsPerInch = 72;

}  // namespace

void preparePage(const PageLayout& layout, QPagedPaintDevice& device, int page) {
    const rovuvuz::PageSetup& setup = layout.setup(page);
    device.setPageSize(
        QPageSize(QSizeF(setup.width, setup.height), QPageSize::Point, QString(), QPageSize::ExactMatch));
    device.setPageMargins(QMarginsF(0, 0, 0, 0));
}

bool render(const PageLayout& layout, QPagedPaintDevice& device, int first, int last, const Progress& progress) {
    const int count = static_cast<int>(layout.pages().size());
    if (count == 0) return false;
    first = std::clamp(first, 0, count - 1);
    last = std::clamp(last, first, count - 1);
    preparePage(layout, device, first);
    // A PDF writer compresses each page as the next one starts, and the last one and the
    // fonts as the painter ends: all within this scope.
    const PdfCompression::FasterStreams faster;
    QPainter painter(&device);
    if (!painter.isActive()) return false;
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal sx = device.logicalDpiX() / qreal(pointsPerInch) / displayScale;
    const qreal sy = device.logicalDpiY() / qreal(pointsPerInch) / displayScale;
    for (int page = first; page <= last; ++page) {
        if (progress && !progress(page - first, last - first + 1)) {
            painter.end();
            return false;
        }
        if (page > first) {
            // Sections may change the paper from one page to the next.
            if (layout.setup(page) != layout.setup(page - 1)) preparePage(layout, device, page);
            device.newPage();
        }
        painter.save();
        painter.scale(sx, sy);
        layout.draw(painter, page, QPointF(0, 0));
        painter.restore();
    }
    return painter.end();
}

std::optional<QString> write(const PageLayout& layout, const QString& path, const QString& title,
                             const Progress& progress) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setResolution(pointsPerInch);
        writer.setCreator(QStringLiteral("Tovin"));
        writer.setTitle(title);
        bool cancelled = false;
        const Progress watch = [&](int done, int total) {
            cancelled = progress && !progress(done, total);
            return !cancelled;
        };
        // An empty file in place of the PDF would look like a success: nothing is kept.
        if (!render(layout, writer, 0, static_cast<int>(layout.pages().size()) - 1, watch)) {
            file.cancelWriting();
            return cancelled ? QStringLiteral("cancelled")
                             : QStringLiteral("cannot draw the pages: the PDF painter did not start");
        }
    }
    if (file.error() != QFileDevice::NoError) return file.errorString();
    if (!file.commit()) return file.errorString();
    return std::nullopt;
}

}  // namespace tovin::PdfExport
