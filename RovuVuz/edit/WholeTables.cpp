#include "RovuVuz/edit/WholeTables.h"

#include <algorithm>
#include <array>

#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/Tables.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/model/DocxError.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::WholeTables {

namespace {

using Markup::element;
using Markup::qualified;

// Containers whose content must end in a paragraph (ECMA-376 §17.4.66 for a cell; Word
// reads a body, note or comment that ends in a table as damaged).
bool mustEndInParagraph(std::string_view local) {
    static constexpr std::array<std::string_view, 7> names = {"tc",       "body",    "hdr",    "ftr",
                                                              "footnote", "endnote", "comment"};
    return std::find(names.begin(), names.end(), local) != names.end();
}

size_t indexOf(const Group& parent, const void* child) {
    for (size_t i = 0; i < parent.children.size(); ++i) {
        const Block& block = parent.children[i];
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block); p && p->get() == child) return i;
        if (const auto* g = std::get_if<std::unique_ptr<Group>>(&block); g && g->get() == child) return i;
    }
    return parent.children.size();
}

// Whether any block after `index` is a paragraph or a table, so the group does not end here.
bool followedByContent(const Group& parent, size_t index) {
    for (size_t i = index + 1; i < parent.children.size(); ++i)
        if (!std::holds_alternative<Raw>(parent.children[i])) return true;
    return false;
}

// The document's table grid style: the id Word gives it, else a table style of that name.
std::optional<StyleID> gridStyle(const StyleSheet& styles) {
    const StyleID usual{"TableGrid"};
    if (const Style* style = styles.find(usual); style && style->kind == Style::Kind::table) return usual;
    const auto named = [](const std::string& name) {
        std::string lower;
        for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return lower == "table grid";
    };
    for (const auto& [id, style] : styles.styles)
        if (style.kind == Style::Kind::table && named(style.name)) return id;
    return std::nullopt;
}

// The table properties: the grid style, or single borders all round and inside when the
// document has no such style (ECMA-376 §17.4.38); automatic width, as the grid decides.
std::string tableProperties(std::string_view p, const std::optional<StyleID>& style) {
    const auto attribute = [&](std::string_view local, std::string value) {
        return std::pair{qualified(p, local), std::move(value)};
    };
    std::string content;
    if (style) content += element(qualified(p, "tblStyle"), {attribute("val", style->rawValue)}, {});
    content += element(qualified(p, "tblW"), {attribute("w", "0"), attribute("type", "auto")}, {});
    if (!style) {
        std::string borders;
        for (std::string_view side : {"top", "left", "bottom", "right", "insideH", "insideV"})
            borders += element(qualified(p, side),
                               {attribute("val", "single"), attribute("sz", "4"), attribute("space", "0"),
                                attribute("color", "auto")},
                               {});
        content += element(qualified(p, "tblBorders"), {}, borders);
    }
    content += element(qualified(p, "tblLook"),
                       {attribute("val", "04A0"), attribute("firstRow", "1"), attribute("lastRow", "0"),
                        attribute("firstColumn", "1"), attribute("lastColumn", "0"), attribute("noHBand", "0"),
                        attribute("noVBand", "1")},
                       {});
    return element(qualified(p, "tblPr"), {}, content);
}

// Column widths sharing the width: equal shares, the remainder to the last column, so
// that they add up to the width exactly.
std::vector<int64_t> columnWidths(const NewTable& shape) {
    const int64_t columns = static_cast<int64_t>(shape.columns);
    std::vector<int64_t> widths(shape.columns, shape.width / columns);
    widths.back() += shape.width - widths.front() * columns;
    return widths;
}

// A tracked insertion's marker, for a row's w:trPr or a paragraph mark's w:rPr.
std::string insertionMarker(EditContext& document, std::string_view p, const EditMode& mode) {
    if (!mode.tracked) return {};
    return element(qualified(p, "ins"), TextEdit::revisionAttributes(document, p, *mode.tracked), {});
}

// An empty paragraph; tracked, its mark is an insertion.
std::string emptyParagraph(EditContext& document, std::string_view p, const EditMode& mode) {
    const std::string marker = insertionMarker(document, p, mode);
    const std::string props =
        marker.empty() ? std::string() : element(qualified(p, "pPr"), {}, element(qualified(p, "rPr"), {}, marker));
    return element(qualified(p, "p"), {}, props);
}

std::string tableMarkup(EditContext& document, std::string_view p, const NewTable& shape, const EditMode& mode) {
    const std::vector<int64_t> widths = columnWidths(shape);
    std::string grid;
    for (int64_t width : widths)
        grid += element(qualified(p, "gridCol"), {{qualified(p, "w"), std::to_string(width)}}, {});
    std::string rows;
    for (size_t r = 0; r < shape.rows; ++r) {
        const std::string marker = insertionMarker(document, p, mode);
        std::string row = marker.empty() ? std::string() : element(qualified(p, "trPr"), {}, marker);
        for (int64_t width : widths) {
            const std::string cellWidth = element(
                qualified(p, "tcW"), {{qualified(p, "w"), std::to_string(width)}, {qualified(p, "type"), "dxa"}}, {});
            row += element(qualified(p, "tc"), {},
                           element(qualified(p, "tcPr"), {}, cellWidth) + emptyParagraph(document, p, mode));
        }
        rows += element(qualified(p, "tr"), {}, row);
    }
    return element(qualified(p, "tbl"), {},
                   tableProperties(p, gridStyle(document.styles())) + element(qualified(p, "tblGrid"), {}, grid) +
                       rows);
}

void checkShape(const NewTable& shape, const StoryID& story) {
    if (shape.rows == 0 || shape.columns == 0 || shape.rows > NewTable::maxRows ||
        shape.columns > NewTable::maxColumns || shape.width < static_cast<int64_t>(shape.columns) ||
        shape.width > NewTable::maxWidth)
        throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
}

// Whether a row's w:trPr records its insertion by this author.
bool insertedBy(const Group& row, const std::string& author) {
    for (const Block& block : row.children) {
        const auto* raw = std::get_if<Raw>(&block);
        if (!raw || raw->local() != "trPr") continue;
        try {
            const XMLTree tree(raw->bytes.view());
            for (int child : tree.childElements(tree.root()))
                if (tree.localName(child) == "ins" && tree.ownAttribute(child, "author") == author) return true;
        } catch (const XMLError&) {
        }
        return false;
    }
    return false;
}

bool markedDeleted(const Group& row) {
    for (const Block& block : row.children) {
        const auto* raw = std::get_if<Raw>(&block);
        if (!raw || raw->local() != "trPr") continue;
        try {
            const XMLTree tree(raw->bytes.view());
            for (int child : tree.childElements(tree.root()))
                if (tree.localName(child) == "del") return true;
        } catch (const XMLError&) {
        }
    }
    return false;
}

}  // namespace

Group* parentOf(Group& root, const Group& child) {
    std::vector<Group*> pending{&root};
    while (!pending.empty()) {
        Group* group = pending.back();
        pending.pop_back();
        for (Block& block : group->children) {
            auto* inner = std::get_if<std::unique_ptr<Group>>(&block);
            if (!inner) continue;
            if (inner->get() == &child) return group;
            pending.push_back(inner->get());
        }
    }
    return nullptr;
}

InsertedTable insert(EditContext& document, Story& story, const StoryID& storyID, ParagraphID afterID,
                     const NewTable& shape, const EditMode& mode) {
    Paragraph& after = TextEdit::paragraph(document, story, storyID, afterID);
    checkShape(shape, storyID);
    if (!after.parent) throw DocxError(DocxErrorCode::crossesStructure, storyID);
    Group& parent = *after.parent;
    const std::string_view p = after.tags.prefix();
    auto table = Fragment::group(tableMarkup(document, p, shape, mode), document.mint());
    if (!table) throw DocxError(DocxErrorCode::unsupported, storyID);
    const InsertedTable result{table->id, paragraphsIn(*table).front()->id};

    size_t at = indexOf(parent, &after) + 1;
    if (mustEndInParagraph(parent.local()) && !followedByContent(parent, at - 1)) {
        if (mode.tracked) {
            // The paragraph's mark moves past the table and a new, inserted one ends its
            // text, so that rejecting the table joins the two halves back into one.
            Structural::split(document, after, InlineOps::length(after.inlines), mode);
        } else {
            auto closing = Fragment::paragraph(emptyParagraph(document, p, mode), document.mint());
            if (!closing) throw DocxError(DocxErrorCode::unsupported, storyID);
            closing->parent = &parent;
            parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(at), std::move(closing));
        }
    }
    parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(at), std::move(table));
    story.touched = true;
    return result;
}

void erase(Group& parent, const Group& table, IdentityMint& mint) {
    const size_t index = indexOf(parent, &table);
    if (index == parent.children.size()) return;
    const std::string paragraphName = qualified(table.tags.prefix(), "p");
    parent.children.erase(parent.children.begin() + static_cast<std::ptrdiff_t>(index));  // `table` is gone
    if (!mustEndInParagraph(parent.local())) return;
    // The last block that is not raw (section properties, cell properties, whitespace).
    std::optional<size_t> last;
    for (size_t i = 0; i < parent.children.size(); ++i)
        if (!std::holds_alternative<Raw>(parent.children[i])) last = i;
    if (last && std::holds_alternative<std::unique_ptr<Paragraph>>(parent.children[*last])) return;
    auto paragraph = Paragraph::make(mint);
    paragraph->tags = Tags::build(paragraphName, {});
    paragraph->setDirty(true);
    paragraph->parent = &parent;
    const size_t place = last ? *last + 1 : std::min(index, parent.children.size());
    parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(place), std::move(paragraph));
}

void remove(EditContext& document, Group& parent, Group& table, const EditMode& mode) {
    if (!mode.tracked) {
        erase(parent, table, document.mint());
        return;
    }
    // Deleting one's own tracked insertion leaves no trace, row by row as for text.
    std::vector<size_t> own;
    bool anyLeft = false;
    for (size_t i = 0; i < table.children.size(); ++i) {
        auto* row = std::get_if<std::unique_ptr<Group>>(&table.children[i]);
        if (!row || (*row)->local() != "tr") continue;
        if (insertedBy(**row, mode.tracked->author)) {
            own.push_back(i);
            continue;
        }
        anyLeft = true;
        if (!markedDeleted(**row)) Tables::markRowDeleted(document, **row, *mode.tracked);
    }
    if (!anyLeft) {
        erase(parent, table, document.mint());
        return;
    }
    for (auto it = own.rbegin(); it != own.rend(); ++it) Tables::eraseRow(table, *it);
}

}  // namespace rovuvuz::WholeTables
