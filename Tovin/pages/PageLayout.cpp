#include "Tovin/pages/PageLayout.h"

#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <exception>
#include <future>
#include <set>

#include "RovuVuz/document/DocxDocument.h"

namespace tovin {

namespace {

using rovuvuz::BlockSnapshot;
using rovuvuz::SectionStart;
using rovuvuz::StoryID;

// Pages are drawn as on paper, in the light colours whatever the desktop's.
QPalette paperPalette() {
    return QPalette(Qt::white);
}

AttributedBuilder builderFor(rovuvuz::DocxDocument& document, StoryID story, qreal width) {
    AttributedBuilder builder(&document, std::move(story), width);
    builder.palette = paperPalette();
    builder.onPaper = true;
    return builder;
}

rovuvuz::StorySnapshot snapshotOf(rovuvuz::DocxDocument& document, const StoryID& story) {
    try {
        return document.snapshot(story);
    } catch (const std::exception&) {
        // A story that cannot be read shows nothing.
        return {};
    }
}

template <typename T>
T orDefault(auto&& read) {
    try {
        return read();
    } catch (const std::exception&) {
        return T{};
    }
}

// The numbers a page-number field shows on one page; the format in its number key.
std::string numbersKey(const PageNumbers& n) {
    return std::to_string(n.page) + '/' + std::to_string(n.pages) + '/' + std::to_string(n.sectionPages) + '/' +
           n.format;
}

// A run of sections laid out on one page geometry: a section and the continuous ones
// after it, as (first section, sections after the last).
std::vector<std::pair<size_t, size_t>> runsOf(const std::vector<rovuvuz::DocumentSection>& sections) {
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t s = 0; s < sections.size(); ++s) {
        if (runs.empty() || sections[s].setup.start != SectionStart::continuous)
            runs.emplace_back(s, s + 1);
        else
            runs.back().second = s + 1;
    }
    return runs;
}

// A note's text as the page shows it: its number, raised, before its first paragraph (the
// note's own w:footnoteRef mark shows nothing in the snapshot).
std::vector<BlockSnapshot> numbered(const rovuvuz::EntrySnapshot& entry, const NoteNumbers& numbers, bool endnote) {
    std::vector<BlockSnapshot> blocks = entry.blocks;
    if (blocks.empty()) return blocks;
    auto* first = std::get_if<rovuvuz::ParagraphSnapshot>(&blocks.front().value);
    if (!first) return blocks;
    const auto found = numbers.find(entry.id);
    const std::u16string number =
        PaperText::noteNumber(found == numbers.end() ? entry.id : found->second, endnote).toStdU16String();
    const size_t shift = number.size();
    for (auto& span : first->spans) span.range = {span.range.lower + shift, span.range.upper + shift};
    for (auto& field : first->fields) field.result = {field.result.lower + shift, field.result.upper + shift};
    for (auto& drawing : first->drawings) drawing.offset += shift;
    for (auto& mark : first->commentMarks) mark.offset += shift;
    rovuvuz::Span mark;
    mark.range = {0, shift};
    mark.format = first->spans.empty() ? first->markFormat : first->spans.front().format;
    mark.format.verticalAlign = rovuvuz::VerticalAlign::superscript;
    first->spans.insert(first->spans.begin(), mark);
    first->text = number + first->text;
    return blocks;
}

// A body is laid out in a piece for each this many of its blocks (about 15 pages of text),
// in at most so many pieces: enough to keep the cores busy, while each thread that lays one
// out loads its own fonts.
constexpr size_t blocksPerPiece = 200;
constexpr size_t mostPieces = 8;

// The threads that lay out pieces of bodies, one a core. They never end: a text layout
// keeps the last font engine it used, which belongs to the font cache of the thread that laid
// it out and goes when that thread ends, while the layout is drawn for as long as its pages
// are shown. (Drawing never overlaps their work: the thread that draws waits for every piece
// it asked for.) Never destroyed: threads ended after the application object would free
// their fonts after Qt's font database.
QThreadPool& layoutThreads() {
    static QThreadPool* const threads = [] {
        auto* pool = new QThreadPool;
        pool->setExpiryTimeout(-1);
        return pool;
    }();
    return *threads;
}

bool needsBlank(SectionStart start, int64_t nextNumber) {
    if (start == SectionStart::oddPage) return nextNumber % 2 == 0;
    if (start == SectionStart::evenPage) return nextNumber % 2 != 0;
    return false;
}

}  // namespace

PageLayout::~PageLayout() = default;

PageLayout::PageLayout(rovuvuz::DocxDocument& document)
    : document_(&document), sumsSpacing_(document.sumsParagraphSpacing()) {
    sections_ = orDefault<std::vector<rovuvuz::DocumentSection>>([&] { return document.sections(); });
    const auto settings = orDefault<rovuvuz::DocumentSettings>([&] { return document.settings(); });
    evenAndOdd_ = settings.evenAndOddHeaders;
    defaultTab_ = settings.defaultTabStop * displayScale;
    if (sections_.empty()) {
        rovuvuz::DocumentSection only;
        only.setup.page = document.pageSetup();
        sections_.push_back(only);
    }
    footnotes_ = snapshotOf(document, StoryID::footnotes()).entries;

    auto body = snapshotOf(document, StoryID::body()).blocks;
    std::set<int64_t> footnoteIDs;
    for (const auto& entry : footnotes_) footnoteIDs.insert(entry.id);
    notes_ = PaperText::noteOrder(body, footnoteIDs);
    const std::vector<size_t> sectionOf =
        orDefault<std::vector<size_t>>([&] { return rovuvuz::sectionOfBlocks(body, sections_); });
    auto runs = runsOf(sections_);
    size_t block = 0;
    for (size_t r = 0; r < runs.size(); ++r) {
        const bool last = r + 1 == runs.size();
        std::vector<BlockSnapshot> blocks;
        while (block < body.size() && (last || block >= sectionOf.size() || sectionOf[block] < runs[r].second))
            blocks.push_back(std::move(body[block++]));
        if (last) {
            // Endnotes follow the body.
            bool first = true;
            for (const auto& entry : snapshotOf(document, StoryID::endnotes()).entries) {
                if (entry.id <= 0 || entry.blocks.empty()) continue;
                auto noted = numbered(entry, notes_.endnotes, true);
                // They begin on a new page after the body.
                if (auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&noted.front().value); p && first)
                    p->format.pageBreakBefore = true;
                first = false;
                blocks.insert(blocks.end(), noted.begin(), noted.end());
            }
        }
        auto run = std::make_unique<Run>();
        run->section = runs[r].first;
        run->setup = sections_[run->section].setup.page;
        layRun(document, *run, blocks);
        runs_.push_back(std::move(run));
    }
    number();
}

// The header and footer push the body in when taller than their margins; the run's body
// then stands between them.
void PageLayout::layRun(rovuvuz::DocxDocument& document, Run& run, const std::vector<BlockSnapshot>& blocks) {
    const qreal k = displayScale;
    const rovuvuz::PageSetup& setup = run.setup;
    const auto& section = sections_[run.section];
    run.columnWidth = std::max((setup.width - setup.left - setup.right - setup.gutter) * k, narrowestColumn);
    qreal header = 0, footer = 0;
    for (const auto& story : section.headers) header = std::max(header, bandHeight(story, run.columnWidth));
    for (const auto& story : section.footers) footer = std::max(footer, bandHeight(story, run.columnWidth));
    const qreal top = std::max(setup.top * k, header > 0 ? setup.header * k + header : 0);
    const qreal bottom = std::max(setup.bottom * k, footer > 0 ? setup.footer * k + footer : 0);
    run.bodyHeight = std::max(setup.height * k - top - bottom, Pagination::smallestBodyHeight);
    run.bodyTop = std::max<qreal>(0, std::min(top, setup.height * k - run.bodyHeight));

    const StoryID story = StoryID::body();
    // Text in columns of different widths is set at the narrowest.
    run.columns = Columns::of(setup, run.columnWidth);
    const qreal width = std::min_element(run.columns.begin(), run.columns.end(), [](const auto& a, const auto& b) {
                            return a.width < b.width;
                        })->width;
    layBody(run, blocks, builderFor(document, story, width), width);
    FloatFrame frame = floatFrame(run);
    frame.columnWidth = width;
    if (!run.layout)
        run.layout = std::make_unique<FlowLayout>(
            FlowLayout::lay(*run.pieces.front(), width, heights_, FlowLayout::Units::body, &frame));
    if (run.layout->hasPageFloats()) {
        // Where such a float stands depends on the page its anchor falls on: the pages
        // without it say which, and the text is laid again around it there.
        const std::vector<Page> pages =
            Pagination::paginate(run.layout->units(), run.bodyHeight, run.layout->firstSpace());
        frame.pageTop = [pages](qreal y) {
            qreal start = 0;
            for (const Page& page : pages)
                if (page.top <= y) start = page.top;
            return start;
        };
        run.layout = std::make_unique<FlowLayout>(
            FlowLayout::lay(*run.pieces.front(), width, heights_, FlowLayout::Units::body, &frame));
    }
    layNotes(document, run);
    // Pieces that a page break (not a column break) starts begin a page.
    std::set<int> pageStarts;
    for (const Unit& unit : run.layout->units())
        if (unit.startsPage && !run.layout->columnStarts().count(unit.lines.first)) pageStarts.insert(unit.lines.first);
    run.pages = Pagination::paginate(std::move(run.layout->units()), run.bodyHeight, run.layout->firstSpace());
    run.sheets = Columns::fill(run.pages, static_cast<int>(run.columns.size()), pageStarts);
    // Each page's notes: those first referenced from its lines.
    run.pageNotes.resize(run.pages.size());
    size_t next = 0;
    for (size_t p = 0; p < run.pages.size(); ++p) {
        const Page& page = run.pages[p];
        for (; next < run.noteLines.size() && run.noteLines[next] < page.lines.end; ++next)
            if (run.noteLines[next] >= page.lines.first) run.pageNotes[p].push_back(static_cast<int>(next));
    }
}

// A long body is written into several QTextDocuments, and each is laid out on a thread of
// its own as soon as it is written, while the next is written here: a page of text costs
// about as much to write into Qt's document as to lay out, so the two overlap, and pieces
// laid out at once share the processor's cores. Each piece's document and its text layouts
// belong to one thread at a time, as Qt's reentrant text classes require: its worker until
// the layout is joined, this thread after. A short body, or one with floats (placed by the
// lines around them), is one piece laid out here. Not to be called on a pool thread, which
// would wait for the pool.
void PageLayout::layBody(Run& run, const std::vector<BlockSnapshot>& blocks, const AttributedBuilder& builder,
                         qreal width) {
    const PageTextOptions options{sumsSpacing_, defaultTab_, nullptr, &notes_};
    const size_t pieces = std::clamp<size_t>(blocks.size() / blocksPerPiece, 1, mostPieces);
    if (pieces == 1 || QThread::idealThreadCount() < 2) {
        run.pieces.push_back(std::make_unique<PageText>(PageText::assemble(blocks, builder, options)));
        return;
    }
    std::vector<std::future<FlowLayout>> laid;
    // Every piece's lay-out is waited for before the pieces it reads can go, even when
    // writing a piece throws.
    struct Wait {
        std::vector<std::future<FlowLayout>>& laid;
        ~Wait() {
            for (auto& part : laid)
                if (part.valid()) part.wait();
        }
    } wait{laid};
    PageText::assembleInPieces(blocks, builder, options, pieces, run.pieces, [&](const PageText& piece) {
        // Floats are placed around the lines by the caller, which lays such a text out.
        if (!piece.floats.empty()) return;
        const bool first = laid.empty();
        auto task = std::make_shared<std::packaged_task<FlowLayout()>>([&piece, width, first] {
            WordLineHeights heights;  // its cache is this lay-out's own
            return first ? FlowLayout::lay(piece, width, heights, FlowLayout::Units::body)
                         : FlowLayout::layFollowing(piece, width, heights, FlowLayout::Units::body);
        });
        laid.push_back(task->get_future());
        layoutThreads().start([task] { (*task)(); });
    });
    if (laid.empty()) return;
    std::vector<FlowLayout> parts;
    for (auto& part : laid) parts.push_back(part.get());
    run.layout = std::make_unique<FlowLayout>(FlowLayout::join(std::move(parts)));
}

FloatFrame PageLayout::floatFrame(const Run& run) const {
    const qreal k = displayScale;
    FloatFrame frame;
    frame.pageWidth = run.setup.width * k;
    frame.pageHeight = run.setup.height * k;
    frame.columnLeft = (run.setup.left + run.setup.gutter) * k;
    frame.columnWidth = run.columnWidth;
    frame.textTop = run.bodyTop;
    frame.textHeight = run.bodyHeight;
    return frame;
}

// The footnotes the run's lines reference, each laid out once in the order of its first
// reference; a line's units carry their notes' heights into pagination.
void PageLayout::layNotes(rovuvuz::DocxDocument& document, Run& run) {
    std::map<qint64, const rovuvuz::EntrySnapshot*> entries;
    for (const auto& entry : footnotes_)
        if (entry.id > 0) entries.emplace(entry.id, &entry);
    if (entries.empty()) return;
    std::set<qint64> laid;
    struct LineNotes {
        qreal height = 0;
        qreal tail = 0;  // the last note's space after
    };
    std::map<int, LineNotes> lineNotes;  // line → the notes first referenced there
    for (const auto& [line, id] : run.layout->noteRefs()) {
        const auto found = entries.find(id);
        if (found == entries.end() || !laid.insert(id).second) continue;
        // The layout points at the text: the note is placed before it is laid out.
        auto& note = *run.notes.emplace_back(std::make_unique<Note>());
        note.text = PageText::assemble(numbered(*found->second, notes_.footnotes, false),
                                       builderFor(document, StoryID::footnotes(), run.columnWidth),
                                       {sumsSpacing_, defaultTab_, nullptr, nullptr});
        note.layout = std::make_unique<FlowLayout>(
            FlowLayout::lay(note.text, run.columnWidth, heights_, FlowLayout::Units::none));
        LineNotes& notes = lineNotes[line];
        notes.height += note.layout->height();
        notes.tail = note.layout->trailingSpace();
        run.noteLines.push_back(line);
    }
    for (Unit& unit : run.layout->units())
        for (auto it = lineNotes.lower_bound(unit.lines.first); it != lineNotes.end() && it->first < unit.lines.end;
             ++it) {
            unit.notes += it->second.height;
            unit.notesTail = it->second.tail;
        }
}

// Page numbers: a section that says where its numbering starts restarts it; an odd or
// even start adds a blank page when the number would fall wrong.
void PageLayout::number() {
    int64_t next = 1;
    for (size_t r = 0; r < runs_.size(); ++r) {
        const Run& run = *runs_[r];
        const auto& section = sections_[run.section].setup;
        if (section.pageNumberStart) next = *section.pageNumberStart;
        if (r > 0 && needsBlank(section.start, next)) {
            Sheet blank;
            blank.run = static_cast<int>(r);
            blank.section = run.section;
            blank.numbers.page = next++;
            sheets_.push_back(blank);
            pages_.push_back(Page{});
        }
        for (size_t p = 0; p < run.sheets.size(); ++p) {
            Sheet sheet;
            sheet.run = static_cast<int>(r);
            sheet.page = static_cast<int>(p);
            sheet.section = run.section;
            sheet.firstOfSection = p == 0;
            sheet.numbers.page = next++;
            sheet.numbers.sectionPages = static_cast<int64_t>(run.sheets.size());
            sheet.numbers.format = section.pageNumberFormat.value_or(std::string());
            const auto [first, count] = run.sheets[p];
            Page shown = run.pages[first];
            for (int piece = first; piece < first + count; ++piece) {
                sheet.notes.insert(sheet.notes.end(), run.pageNotes[piece].begin(), run.pageNotes[piece].end());
                shown.lines.end = std::max(shown.lines.end, run.pages[piece].lines.end);
            }
            sheets_.push_back(std::move(sheet));
            pages_.push_back(shown);
        }
    }
    for (Sheet& sheet : sheets_) sheet.numbers.pages = static_cast<int64_t>(sheets_.size());
    // Every band a page shows is laid out now: drawing later never reads the document.
    for (const Sheet& sheet : sheets_) {
        const auto& section = sections_[sheet.section];
        const bool even = sheet.numbers.page % 2 == 0;
        const qreal width = runs_[sheet.run]->columnWidth;
        band(section.header(sheet.firstOfSection, even, evenAndOdd_), width, sheet.numbers);
        band(section.footer(sheet.firstOfSection, even, evenAndOdd_), width, sheet.numbers);
    }
}

const PageLayout::StoryBlocks* PageLayout::story(const StoryID& id) const {
    auto found = stories_.find(id);
    if (found == stories_.end()) {
        auto blocks = std::make_unique<StoryBlocks>();
        blocks->blocks = snapshotOf(*document_, id).blocks;
        blocks->pageFields = PaperText::hasPageFields(blocks->blocks);
        found = stories_.emplace(id, std::move(blocks)).first;
    }
    return found->second.get();
}

qreal PageLayout::bandHeight(const std::optional<StoryID>& id, qreal width) const {
    const Band* laid = band(id, width, PageNumbers{});
    return laid ? laid->layout->height() : 0;
}

const PageLayout::Band* PageLayout::band(const std::optional<StoryID>& id, qreal width,
                                         const PageNumbers& numbers) const {
    if (!id) return nullptr;
    const StoryBlocks* blocks = story(*id);
    if (blocks->blocks.empty()) return nullptr;
    auto key = std::make_tuple(*id, width, blocks->pageFields ? numbersKey(numbers) : std::string());
    auto found = bands_.find(key);
    if (found == bands_.end()) {
        auto out = std::make_unique<Band>();
        out->text = PageText::assemble(blocks->blocks, builderFor(*document_, *id, width),
                                       {sumsSpacing_, defaultTab_, blocks->pageFields ? &numbers : nullptr, nullptr});
        out->layout =
            std::make_unique<FlowLayout>(FlowLayout::lay(out->text, width, heights_, FlowLayout::Units::none));
        found = bands_.emplace(std::move(key), std::move(out)).first;
    }
    return found->second.get();
}

const rovuvuz::PageSetup& PageLayout::setup() const {
    return runs_.front()->setup;
}

const rovuvuz::PageSetup& PageLayout::setup(int page) const {
    if (page < 0 || page >= static_cast<int>(sheets_.size())) return setup();
    return runs_[sheets_[page].run]->setup;
}

QSizeF PageLayout::pageSize() const {
    return pageSize(0);
}

QSizeF PageLayout::pageSize(int page) const {
    const rovuvuz::PageSetup& s = setup(page);
    return {s.width * displayScale, s.height * displayScale};
}

qreal PageLayout::bodyTop() const {
    return runs_.front()->bodyTop;
}

qreal PageLayout::bodyHeight() const {
    return runs_.front()->bodyHeight;
}

qreal PageLayout::columnWidth() const {
    return runs_.front()->columnWidth;
}

const FlowLayout& PageLayout::body() const {
    return *runs_.front()->layout;
}

void PageLayout::drawNotes(QPainter& painter, const Run& run, const Sheet& sheet, QPointF at) const {
    if (sheet.notes.empty()) return;
    qreal height = 0;
    for (int n : sheet.notes) height += run.notes[n]->layout->height();
    // The last note's space after may reach below the body, as the body's own does.
    height -= run.notes[sheet.notes.back()]->layout->trailingSpace();
    const qreal k = displayScale;
    const qreal x = at.x() + (run.setup.left + run.setup.gutter) * k;
    const qreal bodyBottom = at.y() + run.bodyTop + run.bodyHeight;
    qreal used = 0;  // the tallest piece's text
    const auto [first, count] = run.sheets[sheet.page];
    for (int piece = first; piece < first + count; ++piece)
        used = std::max(used, run.pages[piece].bottom - run.pages[piece].top);
    const qreal textBottom = at.y() + run.bodyTop + used;
    qreal y = std::max(textBottom + Pagination::noteSeparator, bodyBottom - height);
    painter.save();
    // A note too long for its page is cut at the page's edge.
    painter.setClipRect(QRectF(at, QSizeF(run.setup.width * k, run.setup.height * k)), Qt::IntersectClip);
    painter.setPen(QPen(Qt::black, 0.6));
    painter.drawLine(QPointF(x, y - Pagination::noteSeparator / 2),
                     QPointF(x + std::min<qreal>(144 * k, run.columnWidth / 3), y - Pagination::noteSeparator / 2));
    for (int n : sheet.notes) {
        const FlowLayout& note = *run.notes[n]->layout;
        note.drawAll(painter, QPointF(x, y));
        y += note.height();
    }
    painter.restore();
}

// One column-high piece of the body, with its floats, in the column whose left edge is at
// `at`.x (`at`.y is the page's top).
void PageLayout::drawPiece(QPainter& painter, const Run& run, const Page& page, QPointF at, const QRectF& paper) const {
    const QPointF origin(at.x(), at.y() + run.bodyTop - page.top);
    run.layout->drawFloats(painter, origin, page.lines, FlowLayout::Layer::behind, paper);
    painter.save();
    if (page.clip) painter.setClipRect(QRectF(at.x() - 2, at.y() + run.bodyTop, run.columnWidth + 4, run.bodyHeight));
    run.layout->draw(painter, origin, page.lines, page.top, page.bottom, page.clip);
    painter.restore();
    run.layout->drawFloats(painter, origin, page.lines, FlowLayout::Layer::front, paper);
}

// w:cols w:sep: a line in the middle of the space between columns.
void PageLayout::drawSeparators(QPainter& painter, const Run& run, QPointF at) const {
    painter.save();
    painter.setPen(QPen(Qt::black, 0.75));
    for (size_t c = 1; c < run.columns.size(); ++c) {
        const qreal x = at.x() + (run.columns[c - 1].x + run.columns[c - 1].width + run.columns[c].x) / 2;
        painter.drawLine(QPointF(x, at.y() + run.bodyTop), QPointF(x, at.y() + run.bodyTop + run.bodyHeight));
    }
    painter.restore();
}

void PageLayout::draw(QPainter& painter, int index, QPointF at) const {
    if (index < 0 || index >= static_cast<int>(sheets_.size())) return;
    const Sheet& sheet = sheets_[index];
    const Run& run = *runs_[sheet.run];
    const auto& section = sections_[sheet.section];
    const qreal k = displayScale;
    painter.save();
    painter.fillRect(QRectF(at, pageSize(index)), Qt::white);
    painter.setPen(Qt::black);
    const qreal x = at.x() + (run.setup.left + run.setup.gutter) * k;
    const bool even = sheet.numbers.page % 2 == 0;

    if (const Band* header = band(section.header(sheet.firstOfSection, even, evenAndOdd_), run.columnWidth,
                                  sheet.numbers))
        header->layout->drawAll(painter, QPointF(x, at.y() + run.setup.header * k));

    if (sheet.page >= 0) {
        const auto [first, count] = run.sheets[sheet.page];
        for (int piece = first; piece < first + count; ++piece) {
            const Columns::Place& column = run.columns[static_cast<size_t>(piece - first) % run.columns.size()];
            drawPiece(painter, run, run.pages[piece], QPointF(x + column.x, at.y()), QRectF(at, pageSize(index)));
        }
        if (run.setup.columnSeparator && count > 1) drawSeparators(painter, run, QPointF(x, at.y()));
        drawNotes(painter, run, sheet, at);
    }

    if (const Band* footer = band(section.footer(sheet.firstOfSection, even, evenAndOdd_), run.columnWidth,
                                  sheet.numbers)) {
        const qreal h = footer->layout->height();
        footer->layout->drawAll(painter, QPointF(x, at.y() + run.setup.height * k - run.setup.footer * k - h));
    }
    painter.restore();
}

}  // namespace tovin
