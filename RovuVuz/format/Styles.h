// The style sheet: the read-only model of the styles part (ECMA-376 §17.7) with the
// theme's two Latin fonts, which answers what a run's and a paragraph's effective formats
// are and which paragraph styles the style menu offers.
//
// Effective formats are asked for every run of every paragraph on every snapshot, so the
// sheet resolves each style's basedOn chain once into one change per chain (see
// EffectiveFormat.h) and keeps it, together with the formats a paragraph and table style
// pair starts from. The sheet never changes after it is read, so nothing it keeps can go
// stale; the document drops the whole sheet when the styles part is replaced.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/format/TabStops.h"
#include "RovuVuz/format/TableFormat.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/model/PropertyBag.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

struct Style {
    enum class Kind : uint8_t { paragraph, character, table, numbering };

    StyleID id;
    std::string name;  // w:name, or the id's text without one
    Kind kind = Kind::paragraph;
    std::optional<StyleID> basedOn;
    bool isDefault = false;
    bool hidden = false;       // w:semiHidden or w:hidden present
    bool quickFormat = false;  // w:qFormat present
    int priority = 99;         // w:uiPriority
    std::optional<PropertyBag> rPr;
    std::optional<PropertyBag> pPr;
    // Table styles: the table's and cells' properties, and the conditional formats.
    std::optional<ByteSlice> tblPr;
    std::optional<ByteSlice> tcPr;
    struct Conditional {
        TableCondition condition = TableCondition::wholeTable;
        std::optional<PropertyBag> rPr, pPr;
        std::optional<ByteSlice> tcPr;
    };
    std::vector<Conditional> conditionals;
};

class StyleSheet {
  public:
    std::map<StyleID, Style> styles;               // a later duplicate id replaces the earlier style
    std::optional<PropertyBag> runDefaults;        // w:docDefaults/w:rPrDefault/w:rPr
    std::optional<PropertyBag> paragraphDefaults;  // w:docDefaults/w:pPrDefault/w:pPr
    // The last paragraph style marked w:default in document order.
    std::optional<StyleID> defaultParagraphStyle;
    ThemeFonts theme;

    // An empty sheet: no styles, no defaults, no theme.
    StyleSheet() = default;
    // Reads the styles and theme parts; either may be absent or malformed, which gives a
    // sheet without what that part would have given. Never throws.
    StyleSheet(std::optional<ByteView> styles, std::optional<ByteView> theme);

    // The Latin typefaces of a theme part's a:majorFont and a:minorFont (ECMA-376
    // §20.1.4.1.24, §20.1.4.1.25). Never throws.
    static ThemeFonts themeFonts(std::optional<ByteView> theme);

    const Style* find(const StyleID& id) const;
    // The style and the styles it is based on, base first. The walk ends at an unknown id
    // or at the first id it has already met, so a basedOn cycle ends.
    std::vector<Style> chain(const std::optional<StyleID>& id) const;

    // The character format of a run with direct properties `direct` in a paragraph whose
    // style is `paragraph` (the default paragraph style when nothing), inside a table of
    // style `table`: document defaults, table style, paragraph style, character style,
    // then the run's own properties, each overriding what came before.
    // `direct` may be null: a run without w:rPr.
    // In a table cell, `conditions` are the table style's conditional formats that hold
    // for the cell (see cellConditions); they apply after the table style's own
    // properties, in their order, and before the paragraph style.
    RunFormat runFormat(const std::optional<StyleID>& paragraph, const PropertyBag* direct,
                        const std::optional<StyleID>& table = std::nullopt, TableConditions conditions = 0) const;
    RunFormat runFormat(const std::optional<StyleID>& paragraph, const std::optional<PropertyBag>& direct,
                        const std::optional<StyleID>& table = std::nullopt, TableConditions conditions = 0) const {
        return runFormat(paragraph, direct ? &*direct : nullptr, table, conditions);
    }
    // A paragraph's format; its `style` is the style in force, the default paragraph style
    // when the paragraph names none. Pass that style to runFormat for its runs.
    ParagraphFormat paragraphFormat(const PropertyBag* direct, const std::optional<StyleID>& table = std::nullopt,
                                    TableConditions conditions = 0) const;
    ParagraphFormat paragraphFormat(const std::optional<PropertyBag>& direct,
                                    const std::optional<StyleID>& table = std::nullopt,
                                    TableConditions conditions = 0) const {
        return paragraphFormat(direct ? &*direct : nullptr, table, conditions);
    }

    // A paragraph's custom tab stops in position order: the document defaults', the table
    // style's and the paragraph style chain's w:tabs, base first, then its own, each
    // setting and clearing stops (TabStops::apply). `style` is the style in force.
    std::vector<TabStop> tabStops(const std::optional<StyleID>& style, const PropertyBag* direct,
                                  const std::optional<StyleID>& table = std::nullopt) const;

    // A table style with its basedOn chain merged (a chain that loops ends where it meets
    // itself); an empty style for nothing or an unknown id. Kept once resolved.
    const TableStyle& tableStyle(const std::optional<StyleID>& id) const;

    // The paragraph styles the style menu lists: quick styles and visible ones, by
    // priority, then by name in code-point order of the NFC-normalised names.
    std::vector<Style> menu() const;

  private:
    // What a style's whole chain states, base first, later styles winning.
    struct Resolved {
        RunFormatDelta run;
        ParagraphFormatDelta paragraph;
    };

    // The resolved chain of a style; nothing for an unknown id.
    const Resolved* resolve(const StyleID& id) const;
    const Resolved* resolve(const std::optional<StyleID>& id) const { return id ? resolve(*id) : nullptr; }
    void resolveCycle(const std::vector<const Style*>& cycle) const;
    Resolved ownChange(const Style& style) const;

    const RunFormatDelta& directRun(const PropertyBag& bag) const;
    const ParagraphFormatDelta& directParagraph(const PropertyBag& bag) const;

    // Caches, filled on demand. Keys are style ids and property bytes, which the sheet
    // never changes, so an entry is never stale.
    mutable std::unordered_map<std::string, Resolved> resolved_;
    // Keyed by the table and paragraph style ids (see Styles.cpp).
    mutable std::unordered_map<std::string, RunFormat> runBases_;
    mutable std::unordered_map<std::string, ParagraphFormat> paragraphBases_;
    mutable std::unordered_map<std::string, RunFormatDelta> directRuns_;  // bag bytes → change
    mutable std::unordered_map<std::string, ParagraphFormatDelta> directParagraphs_;
    mutable size_t directBytes_ = 0;  // key bytes held by the two direct caches
    mutable std::unordered_map<std::string, TableStyle> tableStyles_;
    mutable std::unordered_map<std::string, std::vector<TabStop>> tabBases_;  // by (table, paragraph) style
};

}  // namespace rovuvuz
