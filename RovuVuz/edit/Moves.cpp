#include "RovuVuz/edit/Moves.h"

#include <map>
#include <set>
#include <utility>

#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/model/StoryParser.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::Moves {

namespace {

// A range mark: its side, and whether it starts or ends the range.
struct RangeMark {
    RevisionKind side;
    bool start;
};

std::optional<RangeMark> rangeMark(const Raw& raw) {
    const auto local = raw.local();
    if (!local) return std::nullopt;
    if (*local == "moveFromRangeStart") return RangeMark{RevisionKind::remove, true};
    if (*local == "moveFromRangeEnd") return RangeMark{RevisionKind::remove, false};
    if (*local == "moveToRangeStart") return RangeMark{RevisionKind::insert, true};
    if (*local == "moveToRangeEnd") return RangeMark{RevisionKind::insert, false};
    return std::nullopt;
}

// A moved paragraph mark: the w:moveFrom or w:moveTo element in the mark's run properties.
struct MarkMove {
    RevisionKind side;
    std::optional<std::string> id;
};

std::vector<MarkMove> markMoves(const Paragraph& paragraph) {
    if (!paragraph.props) return {};
    const auto bytes = paragraph.props->child("rPr");
    const auto mark = bytes ? PropertyBag::parse(*bytes) : std::nullopt;
    if (!mark) return {};
    std::vector<MarkMove> moves;
    if (const auto from = mark->child("moveFrom"))
        moves.push_back({RevisionKind::remove, Markup::attribute("id", *from)});
    if (const auto to = mark->child("moveTo"))
        moves.push_back({RevisionKind::insert, Markup::attribute("id", *to)});
    return moves;
}

// Walks a story in document order, handing every preserved element, inline or block, to
// `raw`, every moved piece (w:moveFrom, w:moveTo around runs) to `mark` as its side and
// w:id before its content, and every paragraph's moved mark to `mark` after the
// paragraph's content. Group and container nesting are bounded by the story parser.
template <typename OnRaw, typename OnMark>
void inOrder(const std::vector<Inline>& inlines, OnRaw& raw, OnMark& mark) {
    for (const Inline& node : inlines) {
        if (const auto* piece = std::get_if<Raw>(&node)) {
            raw(*piece);
        } else if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            if ((*container)->isMove())
                mark(MarkMove{(*container)->isDeletion() ? RevisionKind::remove : RevisionKind::insert,
                              (*container)->attribute("id")});
            inOrder((*container)->inlines, raw, mark);
        }
    }
}

template <typename OnRaw, typename OnMark>
void inOrder(const Group& group, OnRaw& raw, OnMark& mark) {
    for (const Block& block : group.children) {
        if (const auto* piece = std::get_if<Raw>(&block)) {
            raw(*piece);
        } else if (const auto* inner = std::get_if<std::unique_ptr<Group>>(&block)) {
            inOrder(**inner, raw, mark);
        } else if (const auto* paragraph = std::get_if<std::unique_ptr<Paragraph>>(&block)) {
            inOrder((*paragraph)->inlines, raw, mark);
            for (const MarkMove& move : markMoves(**paragraph)) mark(move);
        }
    }
}

using RangeKey = std::pair<RevisionKind, std::string>;  // a range's side and w:id

// The ranges open at a point of the walk, in the order they were opened, by side.
class OpenRanges {
public:
    void start(RevisionKind side, std::string id, std::string name) {
        close(side, id);
        Side& open = of(side);
        open.order[++count_] = id;
        open.byID[std::move(id)] = {count_, std::move(name)};
    }
    void close(RevisionKind side, const std::string& id) {
        Side& open = of(side);
        const auto found = open.byID.find(id);
        if (found == open.byID.end()) return;
        open.order.erase(found->second.first);
        open.byID.erase(found);
    }
    // The name of the innermost open range of a side; empty when there is none.
    std::string innermost(RevisionKind side) {
        const Side& open = of(side);
        return open.order.empty() ? std::string() : open.byID.at(open.order.rbegin()->second).second;
    }

private:
    struct Side {
        std::map<std::string, std::pair<uint64_t, std::string>> byID;  // w:id → opening order, w:name
        std::map<uint64_t, std::string> order;                         // opening order → w:id
    };
    Side& of(RevisionKind side) { return side == RevisionKind::remove ? from_ : to_; }

    Side from_, to_;
    uint64_t count_ = 0;
};

bool isEmptyMark(const Raw& raw, const std::set<RangeKey>& empty) {
    const auto mark = rangeMark(raw);
    return mark && empty.count(RangeKey{mark->side, raw.wid().value_or("")});
}

bool removeMarks(std::vector<Inline>& inlines, const std::set<RangeKey>& empty) {
    bool removed = std::erase_if(inlines, [&](const Inline& node) {
                       const auto* raw = std::get_if<Raw>(&node);
                       return raw && isEmptyMark(*raw, empty);
                   }) > 0;
    for (Inline& node : inlines) {
        auto* container = std::get_if<std::unique_ptr<Container>>(&node);
        if (!container || !removeMarks((*container)->inlines, empty)) continue;
        (*container)->dirty = true;
        removed = true;
    }
    return removed;
}

void removeMarks(Group& group, const std::set<RangeKey>& empty) {
    std::erase_if(group.children, [&](const Block& block) {
        const auto* raw = std::get_if<Raw>(&block);
        return raw && isEmptyMark(*raw, empty);
    });
    for (Block& block : group.children) {
        if (auto* inner = std::get_if<std::unique_ptr<Group>>(&block)) {
            removeMarks(**inner, empty);
        } else if (auto* paragraph = std::get_if<std::unique_ptr<Paragraph>>(&block)) {
            if (removeMarks((*paragraph)->inlines, empty)) (*paragraph)->setDirty(true);
        }
    }
}

}  // namespace

std::optional<RevisionKind> side(std::string_view local) {
    if (local == "moveFrom") return RevisionKind::remove;
    if (local == "moveTo") return RevisionKind::insert;
    return std::nullopt;
}

std::optional<RevisionKind> side(const Raw& raw) {
    const auto local = raw.local();
    return local ? side(*local) : std::nullopt;
}

std::optional<std::vector<Inline>> content(const Raw& raw, IdentityMint& mint) {
    try {
        const XMLTree tree(raw.bytes.view());
        StoryParser parser(tree, mint);
        std::vector<Inline> inlines;
        for (int child : tree.children(tree.root())) inlines.push_back(parser.inlineNode(child));
        return inlines;
    } catch (const XMLError&) {
        return std::nullopt;
    }
}

std::u16string text(ByteView element) {
    std::u16string shown;
    try {
        const XMLTree tree(element);
        for (int node = 0; node < static_cast<int>(tree.nodeCount()); ++node) {
            const auto parent = tree.parent(node);
            if (tree.kind(node) != XMLTree::Kind::element || !parent || tree.localName(*parent) != "r")
                continue;
            shown += InlineOps::displayText(RunItem::Kind::read(tree, node));
        }
    } catch (const XMLError&) {
    }
    return shown;
}

std::vector<int64_t> partsOfMove(const Group& root, int64_t id) {
    OpenRanges open;
    std::vector<std::pair<std::string, int64_t>> parts;  // the move's name, the part's w:id
    const auto part = [&](RevisionKind kind, const std::optional<std::string>& text) {
        const auto number = Numbers::integer(text);
        if (number) parts.emplace_back(open.innermost(kind), *number);
    };
    auto onRaw = [&](const Raw& raw) {
        if (const auto kind = side(raw)) return part(*kind, Markup::attribute("id", raw.bytes.view()));
        const auto mark = rangeMark(raw);
        if (!mark) return;
        if (mark->start)
            open.start(mark->side, raw.wid().value_or(""),
                       Markup::attribute("name", raw.bytes.view()).value_or(""));
        else
            open.close(mark->side, raw.wid().value_or(""));
    };
    auto onMark = [&](const MarkMove& move) { part(move.side, move.id); };
    inOrder(root, onRaw, onMark);

    std::set<std::string> names;
    for (const auto& [name, number] : parts)
        if (number == id && !name.empty()) names.insert(name);
    std::vector<int64_t> result;
    for (const auto& [name, number] : parts)
        if (names.count(name)) result.push_back(number);
    return result;
}

void removeEmptyRanges(Group& root) {
    std::map<RangeKey, size_t> open;  // → the count of moved parts of its side where it began
    std::set<RangeKey> empty;
    size_t movedFrom = 0, movedTo = 0;
    const auto moved = [&](RevisionKind kind) -> size_t& {
        return kind == RevisionKind::remove ? movedFrom : movedTo;
    };
    auto onRaw = [&](const Raw& raw) {
        if (const auto kind = side(raw)) {
            ++moved(*kind);
            return;
        }
        const auto mark = rangeMark(raw);
        if (!mark) return;
        RangeKey key{mark->side, raw.wid().value_or("")};
        if (mark->start) {
            open[key] = moved(mark->side);
        } else if (const auto found = open.find(key); found != open.end()) {
            if (found->second == moved(mark->side)) empty.insert(key);
            open.erase(found);
        }
    };
    auto onMark = [&](const MarkMove& move) { ++moved(move.side); };
    inOrder(std::as_const(root), onRaw, onMark);
    for (const auto& [key, seen] : open)
        if (seen == moved(key.first)) empty.insert(key);
    if (!empty.empty()) removeMarks(root, empty);
}

}  // namespace rovuvuz::Moves
