// The state of one snapshot run: the story part's relationships (for link targets), the
// style sheet and numbering, the list counter that advances once per list paragraph in
// visiting order, the style of the innermost table being visited and the conditional
// formats of its cell being visited.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/package/Relationships.h"
#include "RovuVuz/snapshot/DrawingGraphics.h"
#include "RovuVuz/snapshot/NoteLabels.h"
#include "RovuVuz/snapshot/Snapshot.h"

namespace rovuvuz {

class SnapshotContext {
public:
    // Without `counting`, paragraphs get no list labels (a single paragraph's snapshot).
    enum class Counting { No, Yes };

    SnapshotContext(Relationships rels, const StyleSheet& styles, const Numbering& numbering, Counting counting);

    // Note references and notes are labelled from these (not owned; none: no labels).
    void setNoteLabels(const NoteLabels* labels) { notes_ = labels; }
    // SmartArt and chart parts and the theme's colours are read through these (not owned;
    // none: graphics show empty and theme colours are Office's defaults).
    void setDrawingParts(const DrawingParts* parts) { parts_ = parts; }

    // The blocks of a story, cell or entry; `mainPrefix` is the prefix the story binds the
    // main namespace to (its container's own).
    std::vector<BlockSnapshot> blocks(const std::vector<Block>& blocks, std::string_view mainPrefix);
    ParagraphSnapshot paragraph(const Paragraph& paragraph);
    // A table; the table style is scoped to its cells and restored afterwards.
    TableSnapshot table(const Group& group);
    // Continues inside a table, as visiting its cells does: its style, when it states one,
    // applies from here on (a paragraph or table snapshot taken alone inside tables).
    void enterTable(const Group& group);
    // Continues inside one cell of the table entered last, with the conditional formats
    // its place in the table gives it (a paragraph snapshot taken alone in a cell).
    void enterCell(const Group& table, const Group& row, const Group& cell);
    // The entries of a notes or comments story.
    std::vector<EntrySnapshot> entries(const Group& root);
    // The list labels `blocks` would give its paragraphs, tables included, by paragraph:
    // the same count, without reading any text.
    void listLabels(const std::vector<Block>& blocks, std::map<ParagraphID, std::string>& labels);

    // What an object run item shows: an image with its relationship and extent, or an
    // opaque object with the text inside it (its w:t, under the story's `mainPrefix`).
    static Span::Content object(std::string_view name, ByteView bytes, std::string_view mainPrefix);

  private:
    struct Walk;
    struct TableLayout;
    // Fields (SnapshotFields.cpp): complex fields open and close across the runs of a
    // paragraph; a w:fldSimple is whole in one raw element.
    void fieldChar(const RunItem& item, const RunFormat& format, Walk& state);
    void instrText(const RunItem& item, Walk& state);
    void fieldResultRun(const RunFormat& format, Walk& state);
    void simpleField(const Raw& raw, Walk& state);
    void closeOpenFields(Walk& state);
    // Drawings (SnapshotDrawings.cpp): a floating drawing's or text box's frame, anchor and
    // text; nothing for an inline picture without text.
    std::optional<DrawingSnapshot> drawing(std::string_view name, ByteView bytes, size_t offset);
    std::vector<BlockSnapshot> textBox(ByteView txbxContent, std::string_view mainPrefix);
    // A shape's look and text frame (its wps:wsp, else the VML shape `vml`) and what its
    // graphic frame shows.
    void looks(const XMLTree& tree, std::optional<int> vml, DrawingSnapshot& drawing) const;
    // The symbol a w:sym shows and the font it is drawn in.
    static std::pair<std::string, std::optional<std::string>> symbol(ByteView bytes);
    // Tables (SnapshotTables.cpp).
    TableLayout tableLayout(const Group& table) const;
    CellFormat cellFormat(const TableLayout& layout, const Group& cell, size_t row, size_t column,
                          size_t columns) const;
    void walk(const std::vector<Inline>& inlines, const std::optional<RevisionInfo>& revision,
              const std::optional<std::string>& link, Walk& state);
    void walkRun(const Run& run, const std::optional<RevisionInfo>& revision, const std::optional<std::string>& link,
                 Walk& state);
    void walkRaw(const Raw& raw, const std::optional<RevisionInfo>& revision, const std::optional<std::string>& link,
                 Walk& state);
    std::optional<std::string> linkTarget(const Container& hyperlink) const;
    void applyListIndent(ParagraphFormat& format) const;
    std::optional<std::string> listLabel(const ParagraphFormat& format, const LanguageTag& language);
    // The language of a paragraph's mark, in which its list label is written.
    LanguageTag markLanguage(const Paragraph& p, const ParagraphFormat& format) const;
    // Visits a table's cells row by row (`row` with each row's group before its cells)
    // inside its style.
    template <typename Row, typename Cell>
    void eachCell(const Group& table, Row&& row, Cell&& cell);

    Relationships rels_;
    const StyleSheet& styles_;
    const Numbering& numbering_;
    std::optional<Numbering::Counter> counter_;
    std::optional<StyleID> tableStyle_;
    const NoteLabels* notes_ = nullptr;
    const DrawingParts* parts_ = nullptr;
    TableConditions conditions_ = 0;
    int drawingDepth_ = 0;  // text boxes inside text boxes being visited
};

template <typename Row, typename Cell>
void SnapshotContext::eachCell(const Group& table, Row&& row, Cell&& cell) {
    const std::optional<StyleID> enclosing = tableStyle_;
    const TableConditions enclosingConditions = conditions_;
    enterTable(table);
    for (const Block& block : table.children) {
        const auto* rowGroup = std::get_if<std::unique_ptr<Group>>(&block);
        if (!rowGroup || (*rowGroup)->local() != "tr") continue;
        row(**rowGroup);
        for (const Block& rowChild : (*rowGroup)->children) {
            const auto* cellGroup = std::get_if<std::unique_ptr<Group>>(&rowChild);
            if (cellGroup && (*cellGroup)->local() == "tc") cell(**cellGroup);
        }
    }
    tableStyle_ = enclosing;
    conditions_ = enclosingConditions;
}

}  // namespace rovuvuz
