// Fuzz target: any bytes as the body story of a document, read as the window reads it.
// The bytes become word/document.xml of a minimal package (bytes that are themselves a
// .docx package are opened whole); every paragraph of the body becomes styled text, the
// story fills a text document, and the page layout cuts the body into pages and draws the
// first one, all on Qt's offscreen platform. The styled text of a paragraph is exactly its
// snapshot's text with runs covering it, and the pages are never empty and in order.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/ZipArchive.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/StoryText.h"

using namespace rovuvuz;
using namespace tovin;

namespace {

constexpr qreal columnWidth = 600;

const char* const contentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
const char* const packageRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/></Relationships>";

// The bytes as the body part of a package that has nothing else.
SharedBytes packageAround(const uint8_t* data, size_t size) {
    Bytes empty = {0x50, 0x4B, 0x05, 0x06};  // an empty archive is its end record
    empty.resize(22, 0);
    // The archive writer takes views: the bytes they show stay here until it is done.
    const std::string_view types(contentTypes);
    const std::string_view relationships(packageRelationships);
    ZipArchive::Replacements parts;
    parts.emplace("[Content_Types].xml", ByteView(reinterpret_cast<const uint8_t*>(types.data()), types.size()));
    parts.emplace("_rels/.rels",
                  ByteView(reinterpret_cast<const uint8_t*>(relationships.data()), relationships.size()));
    parts.emplace("word/document.xml", ByteView(data, size));
    return ZipArchive(share(std::move(empty))).write(parts);
}

std::unique_ptr<DocxDocument> open(const uint8_t* data, size_t size) {
    const bool isPackage = size >= 4 && data[0] == 'P' && data[1] == 'K' && data[2] == 3 && data[3] == 4;
    try {
        return std::make_unique<DocxDocument>(isPackage ? share(Bytes(data, data + size)) : packageAround(data, size));
    } catch (const std::exception&) {
        return nullptr;  // not a package: the open fails with its reason, as it should
    }
}

void checkStyledText(DocxDocument& document, const std::vector<BlockSnapshot>& blocks) {
    const AttributedBuilder builder(&document, StoryID::body(), columnWidth);
    for (const BlockSnapshot& block : blocks) {
        const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value);
        if (!paragraph) continue;
        const StyledText styled = builder.paragraph(*paragraph);
        if (styled.text.size() != qsizetype(paragraph->text.size())) std::abort();
        int covered = 0;
        for (const StyledText::Run& run : styled.runs) {
            if (run.start != covered || run.length < 0) std::abort();
            covered += run.length;
        }
        if (covered != styled.text.size()) std::abort();
        builder.separatorAttributes(*paragraph);
    }
    QTextDocument text;
    StoryText::fill(text, blocks, builder);
}

void checkPages(DocxDocument& document) {
    const PageLayout layout(document);
    if (layout.pages().empty()) std::abort();
    if (layout.sheets().size() != layout.pages().size()) std::abort();
    // Each run of sections is laid out on its own: its lines count from 0 and go forward
    // page by page; a blank page (an odd or even start) shows none.
    int previousEnd = 0;
    int run = 0;
    for (size_t i = 0; i < layout.pages().size(); ++i) {
        const Page& page = layout.pages()[i];
        if (layout.sheets()[i].run != run) {
            if (layout.sheets()[i].run < run) std::abort();
            run = layout.sheets()[i].run;
            previousEnd = 0;
        }
        if (page.lines.isEmpty()) continue;
        if (page.lines.first < previousEnd && !page.clip) std::abort();
        previousEnd = std::max(previousEnd, page.lines.end);
    }
    // The first page drawn small: painting follows the same layout as PDF and print.
    QImage image(160, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(0.2, 0.2);
    layout.draw(painter, 0, QPointF(0, 0));
}

}  // namespace

// The font system's caches (fontconfig, FreeType, HarfBuzz and Qt's font engines) live until
// the process ends and are never freed: at exit they are not this code's leaks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libharfbuzz\nleak:libQt6Gui\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fonts, the text layout and painting need a GUI application; it lives for the run.
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<DocxDocument> document = open(data, size);
    if (!document) return 0;
    std::vector<BlockSnapshot> blocks;
    try {
        blocks = document->snapshot(StoryID::body()).blocks;
    } catch (const std::exception&) {
        return 0;  // a body that does not parse is shown empty
    }
    checkStyledText(*document, blocks);
    checkPages(*document);
    return 0;
}
