// Small documents for the tests of what pages draw, and ways to look at a drawn page: its
// text as a PDF reader reads it, and its pixels.
#pragma once

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PdfExport.h"
#include "support/TestSupport.h"

namespace tovin::pagestest {

inline std::string run(const std::string& text, const std::string& rPr = {}) {
    return "<w:r><w:rPr>" + rPr + "</w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

inline std::string paragraph(const std::string& content, const std::string& pPr = {}) {
    return "<w:p><w:pPr>" + pPr + "</w:pPr>" + content + "</w:p>";
}

inline std::string part(const std::string& root, const std::string& content, const std::string& namespaces = {}) {
    return "<w:" + root + " " + std::string(rovuvuz::testing::mainNamespace) + namespaces + ">" + content + "</w:" +
           root + ">";
}

inline std::unique_ptr<rovuvuz::DocxDocument> open(const std::string& body,
                                                   const std::vector<rovuvuz::testing::RelatedPart>& parts = {}) {
    return std::make_unique<rovuvuz::DocxDocument>(rovuvuz::testing::packageWith(body, parts));
}

// The page drawn at one display point a pixel, on grey so that the page's own white shows.
inline QImage picture(const PageLayout& layout, int page) {
    QImage image(layout.pageSize(page).toSize(), QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    layout.draw(painter, page, {0, 0});
    return image;
}

inline bool dark(QRgb pixel) {
    return qGray(pixel) < 160;
}

// The smallest rectangle holding every dark pixel of `area`; empty when there is none.
inline QRect ink(const QImage& image, QRect area) {
    area = area.intersected(image.rect());
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (dark(image.pixel(x, y))) found = found.united(QRect(x, y, 1, 1));
    return found;
}

// The rows of `area` that hold a dark pixel.
inline std::vector<int> inkedRows(const QImage& image, QRect area) {
    area = area.intersected(image.rect());
    std::vector<int> rows;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (dark(image.pixel(x, y))) {
                rows.push_back(y);
                break;
            }
    return rows;
}

// Each page's text as pdftotext reads the exported PDF, its layout kept.
inline std::vector<QString> pageTexts(const PageLayout& layout) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath("out.pdf");
    if (PdfExport::write(layout, pdf, "t")) return {};
    QProcess tool;
    tool.start("pdftotext", {"-layout", pdf, "-"});
    tool.waitForFinished(60000);
    QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split(QChar('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return {pages.begin(), pages.end()};
}

}  // namespace tovin::pagestest
