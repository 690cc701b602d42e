// Pages on paper and in PDF: every page of a PageLayout drawn on a paged device (a PDF
// writer or a printer) at the document's own page size, so that one display point is one
// point on paper divided by the display scale.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QPagedPaintDevice;

namespace tovin {

class PageLayout;

namespace PdfExport {

// Told before each page is drawn how many of how many are done; false cancels.
using Progress = std::function<bool(int done, int total)>;

// Sets the device's page to the size of the layout's page `page` with no margins.
void preparePage(const PageLayout& layout, QPagedPaintDevice& device, int page = 0);
// Draws pages [first, last] (0-based, clamped), one per device page, each on its own
// paper; false when nothing could be drawn (the device's painter did not start, or there
// are no pages) or `progress` cancelled.
bool render(const PageLayout& layout, QPagedPaintDevice& device, int first, int last,
            const Progress& progress = {});
// Writes the whole layout as a PDF file, atomically: the file is replaced only when
// complete, and never when the pages could not be drawn or the export was cancelled.
// Returns the reason when it fails ("cancelled" when `progress` said so).
std::optional<QString> write(const PageLayout& layout, const QString& path, const QString& title,
                             const Progress& progress = {});

}  // namespace PdfExport

}  // namespace tovin
