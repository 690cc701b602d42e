#include "RovuVuz/edit/TrackedRows.h"

#include <algorithm>

#include "RovuVuz/edit/Tables.h"
#include "RovuVuz/edit/WholeTables.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::TrackedRows {

namespace {

// A table and the group it stands in.
struct Placed {
    Group* table;
    Group* parent;
};

// Every table of a story in document order, outer tables before those in their cells.
// Without recursion: nesting depth comes from the file.
std::vector<Placed> tablesIn(Group& root) {
    std::vector<Placed> result;
    std::vector<Group*> pending{&root};
    while (!pending.empty()) {
        Group* group = pending.back();
        pending.pop_back();
        const size_t before = pending.size();
        for (Block& child : group->children) {
            auto* inner = std::get_if<std::unique_ptr<Group>>(&child);
            if (!inner) continue;
            if ((*inner)->local() == "tbl") result.push_back({inner->get(), group});
            pending.push_back(inner->get());
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(before), pending.end());
    }
    return result;
}

// The row's w:trPr and its index among the row's children.
std::optional<size_t> propertiesOf(const Group& row) {
    for (size_t i = 0; i < row.children.size(); ++i)
        if (const auto* raw = std::get_if<Raw>(&row.children[i]); raw && raw->local() == "trPr") return i;
    return std::nullopt;
}

// What resolving one row's markers did: whether the request reached any, and whether the
// row must go.
struct RowOutcome {
    bool matched = false;
    bool removed = false;
};

// The w:trPr of a row without the markers that were resolved; nothing when no element is
// left in it.
std::optional<Raw> withoutMarkers(const XMLTree& tree, const std::vector<int>& markers, const Raw& old) {
    XMLEdit edit(tree);
    for (int marker : markers) edit.remove(marker);
    if (tree.childElements(tree.root()).size() == markers.size()) return std::nullopt;
    return Fragment::raw(edit.result()).value_or(old);
}

// Resolves the markers of a row that stays at once; a row that goes is left to the caller.
RowOutcome resolveRow(Group& row, const Matches& matches, const Decide& decide) {
    RowOutcome outcome;
    const auto index = propertiesOf(row);
    if (!index) return outcome;
    const Raw& properties = std::get<Raw>(row.children[*index]);
    std::optional<XMLTree> tree;
    try {
        tree.emplace(properties.bytes.view());
    } catch (const XMLError&) {
        return outcome;  // unreadable properties are kept as they are
    }
    std::vector<int> resolved;
    for (int child : tree->childElements(tree->root())) {
        const std::string_view local = tree->localName(child);
        if (local != "ins" && local != "del") continue;
        if (!matches(tree->ownAttribute(child, "id"))) continue;
        outcome.matched = true;
        const RevisionKind kind = local == "ins" ? RevisionKind::insert : RevisionKind::remove;
        // The row stays when its insertion is accepted or its deletion rejected.
        if ((kind == RevisionKind::insert) != decide(kind)) outcome.removed = true;
        resolved.push_back(child);
    }
    if (resolved.empty() || outcome.removed) return outcome;
    if (auto kept = withoutMarkers(*tree, resolved, properties))
        row.children[*index] = std::move(*kept);
    else
        row.children.erase(row.children.begin() + static_cast<std::ptrdiff_t>(*index));
    return outcome;
}

// Resolves the rows of one table; true when the table has no row left.
bool resolveTable(Group& table, const Matches& matches, const Decide& decide, bool& matched) {
    std::vector<size_t> gone;
    bool anyRow = false;
    for (size_t i = 0; i < table.children.size(); ++i) {
        auto* row = std::get_if<std::unique_ptr<Group>>(&table.children[i]);
        if (!row || (*row)->local() != "tr") continue;
        const RowOutcome outcome = resolveRow(**row, matches, decide);
        matched |= outcome.matched;
        if (outcome.removed)
            gone.push_back(i);
        else
            anyRow = true;
    }
    // From the last, so that indices hold and a merge carried down lands on a row that stays.
    for (auto it = gone.rbegin(); it != gone.rend(); ++it) Tables::eraseRow(table, *it);
    return !gone.empty() && !anyRow;
}

}  // namespace

bool resolve(Story& story, const Matches& matches, const Decide& decide, IdentityMint& mint) {
    if (!story.root) return false;
    bool matched = false;
    const std::vector<Placed> tables = tablesIn(*story.root);
    // Inner tables first: a row removed from an outer table takes its inner tables with it.
    for (auto it = tables.rbegin(); it != tables.rend(); ++it)
        if (resolveTable(*it->table, matches, decide, matched)) WholeTables::erase(*it->parent, *it->table, mint);
    return matched;
}

}  // namespace rovuvuz::TrackedRows
