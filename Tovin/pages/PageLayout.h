// The document as pages: the body laid out section by section, each section (with the
// continuous sections after it) in a column of its own page's width and cut into pages of
// its body height, each page drawn with the header and footer its section shows there
// (first page, even page or primary, inherited as Word does) and their page-number fields
// evaluated for that page. A header or footer taller than its margin pushes the body in.
// Footnotes stand at the foot of the page that references them, under a separator;
// endnotes follow the body. Built on demand (page view, printing, PDF) and read-only.
// Everything is in display points, 1.25 times the document's size.
#pragma once

#include <QPointF>
#include <QSizeF>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "RovuVuz/document/DocumentSections.h"
#include "RovuVuz/format/Sections.h"
#include "Tovin/pages/Columns.h"
#include "Tovin/pages/FlowLayout.h"
#include "Tovin/pages/PageText.h"
#include "Tovin/pages/Pagination.h"
#include "Tovin/pages/WordLineHeights.h"

class QPainter;

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

class PageLayout {
  public:
    // Lays the document out and paginates it; pages() is never empty.
    explicit PageLayout(rovuvuz::DocxDocument& document);
    ~PageLayout();

    // What one page shows of the document.
    struct Sheet {
        int run = 0;             // the laid-out stretch of sections it belongs to
        int page = -1;           // its page in the run (Run::sheets); -1: a blank page an odd or even start asks for
        size_t section = 0;      // the section whose header and footer it shows
        bool firstOfSection = false;
        PageNumbers numbers;     // what its page-number fields show
        std::vector<int> notes;  // the footnotes at its foot, by index in the run's notes
    };

    // The first page's setup, and a page's.
    const rovuvuz::PageSetup& setup() const;
    const rovuvuz::PageSetup& setup(int page) const;
    // Every page; blank ones have no lines.
    const std::vector<Page>& pages() const { return pages_; }
    const std::vector<Sheet>& sheets() const { return sheets_; }
    QSizeF pageSize() const;
    QSizeF pageSize(int page) const;
    // The first section's body geometry.
    qreal bodyTop() const;
    qreal bodyHeight() const;
    qreal columnWidth() const;
    bool sumsSpacing() const { return sumsSpacing_; }
    const FlowLayout& body() const;

    // Draws one page, its header and footer with the page's top left at `at`.
    void draw(QPainter& painter, int page, QPointF at) const;

    // The narrowest column the body is given, display points.
    static constexpr qreal narrowestColumn = 36;

  private:
    struct Band {
        PageText text;
        std::unique_ptr<FlowLayout> layout;
    };
    struct Note {
        PageText text;
        std::unique_ptr<FlowLayout> layout;
    };
    struct Run {
        rovuvuz::PageSetup setup;
        size_t section = 0;
        qreal bodyTop = 0;
        qreal bodyHeight = 0;
        qreal columnWidth = 0;
        // The body's text, in pieces laid out side by side on threads of their own.
        std::vector<std::unique_ptr<PageText>> pieces;
        std::unique_ptr<FlowLayout> layout;
        std::vector<Page> pages;                 // column-high pieces of the text
        std::vector<Columns::Place> columns;     // across the body
        std::vector<std::pair<int, int>> sheets;  // by page: its first piece and their count
        std::vector<std::unique_ptr<Note>> notes;
        std::vector<int> noteLines;               // by note: the line first referencing it
        std::vector<std::vector<int>> pageNotes;  // by piece: its notes
    };
    struct StoryBlocks {
        std::vector<rovuvuz::BlockSnapshot> blocks;
        bool pageFields = false;
    };

    void layRun(rovuvuz::DocxDocument& document, Run& run, const std::vector<rovuvuz::BlockSnapshot>& blocks);
    void layBody(Run& run, const std::vector<rovuvuz::BlockSnapshot>& blocks, const AttributedBuilder& builder,
                 qreal width);
    void layNotes(rovuvuz::DocxDocument& document, Run& run);
    FloatFrame floatFrame(const Run& run) const;
    void number();
    qreal bandHeight(const std::optional<rovuvuz::StoryID>& story, qreal width) const;
    const Band* band(const std::optional<rovuvuz::StoryID>& story, qreal width, const PageNumbers& numbers) const;
    const StoryBlocks* story(const rovuvuz::StoryID& id) const;
    void drawNotes(QPainter& painter, const Run& run, const Sheet& sheet, QPointF at) const;
    void drawPiece(QPainter& painter, const Run& run, const Page& page, QPointF at, const QRectF& paper) const;
    void drawSeparators(QPainter& painter, const Run& run, QPointF at) const;

    rovuvuz::DocxDocument* document_;
    std::vector<rovuvuz::DocumentSection> sections_;
    bool evenAndOdd_ = false;
    bool sumsSpacing_ = false;
    qreal defaultTab_ = 45;
    std::vector<rovuvuz::EntrySnapshot> footnotes_;
    NoteOrder notes_;
    mutable WordLineHeights heights_;
    std::vector<std::unique_ptr<Run>> runs_;
    std::vector<Page> pages_;
    std::vector<Sheet> sheets_;
    // Headers and footers, laid out when first drawn: by story, width and page numbers
    // (numbers only for a story whose fields show them).
    mutable std::map<rovuvuz::StoryID, std::unique_ptr<StoryBlocks>> stories_;
    mutable std::map<std::tuple<rovuvuz::StoryID, qreal, std::string>, std::unique_ptr<Band>> bands_;
};

}  // namespace tovin
