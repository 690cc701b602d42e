// Pages on paper and in PDF: every page of a PageLayout drawn on a paged device (a PDF
// writer or a printer) at the document's own page size, so that one display point is one
// point on paper divided by the display scale.
#pragma once

#include <QString>
#include <optional>

class QPagedPaintDevice;

namespace tovin {

class PageLayout;

namespace PdfExport {

// Sets the device's page to the layout's page size with no margins.
void preparePage(const PageLayout& layout, QPagedPaintDevice& device);
// Draws pages [first, last] (0-based, clamped), one per device page; false when nothing
// could be drawn (the device's painter did not start, or there are no pages).
bool render(const PageLayout& layout, QPagedPaintDevice& device, int first, int last);
// Writes the whole layout as a PDF file, atomically: the file is replaced only when
// complete, and never when the pages could not be drawn. Returns the reason when it fails.
std::optional<QString> write(const PageLayout& layout, const QString& path, const QString& title);

}  // namespace PdfExport

}  // namespace tovin
