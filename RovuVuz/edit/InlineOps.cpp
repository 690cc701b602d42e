#include "RovuVuz/edit/InlineOps.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>

#include "RovuVuz/xml/XMLChars.h"

namespace rovuvuz {

void InlineOwner::markDirty() const {
    if (paragraph_) paragraph_->setDirty(true);
    if (container_) container_->dirty = true;
}

namespace InlineOps {

namespace {

using Type = RunItem::Type;

bool isLowSurrogate(char16_t c) {
    return (c & 0xFC00) == 0xDC00;
}
bool isHighSurrogate(char16_t c) {
    return (c & 0xFC00) == 0xD800;
}

Run* runOf(Inline& node) {
    auto* run = std::get_if<std::unique_ptr<Run>>(&node);
    return run ? run->get() : nullptr;
}

Container* containerOf(Inline& node) {
    auto* container = std::get_if<std::unique_ptr<Container>>(&node);
    return container ? container->get() : nullptr;
}

// Whether a run still holds something a reader sees or a field needs; a run left with only
// its properties and hidden items is empty.
bool hasContent(const Run& run) {
    return std::any_of(run.items.begin(), run.items.end(),
                       [](const RunItem& item) { return item.kind.type != Type::props && item.kind.type != Type::hidden; });
}

}  // namespace

std::optional<Slot> find(const std::vector<Inline>& inlines, size_t target, size_t base,
                         const std::vector<Container*>& chain, const std::vector<size_t>& starts) {
    size_t start = base;
    for (const Inline& node : inlines) {
        const size_t end = start + length(node);
        if (end <= target) {
            start = end;
            continue;
        }
        if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            auto innerChain = chain;
            auto innerStarts = starts;
            innerChain.push_back(container->get());
            innerStarts.push_back(start);
            return find((*container)->inlines, target, start, innerChain, innerStarts);
        }
        const auto* run = std::get_if<std::unique_ptr<Run>>(&node);
        if (!run) return std::nullopt;
        size_t itemStart = start;
        for (size_t i = 0; i < (*run)->items.size(); ++i) {
            const size_t itemEnd = itemStart + length((*run)->items[i].kind);
            if (itemEnd > target) return Slot{run->get(), i, target - itemStart, chain, starts};
            itemStart = itemEnd;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<Slot> slot(const std::vector<Inline>& inlines, size_t offset, Side side) {
    if (side == Side::after) return find(inlines, offset);
    if (offset == 0) return std::nullopt;
    auto found = find(inlines, offset - 1);
    if (found) found->offset += 1;
    return found;
}

Tags openTags(const Tags& tags) {
    if (tags.hasEnd()) return tags;
    std::string_view start = tags.start.chars();
    if (start.ends_with("/>")) start.remove_suffix(2);
    else if (start.ends_with(">")) start.remove_suffix(1);
    std::string bytes(start);
    bytes += '>';
    const size_t startSize = bytes.size();
    bytes += "</";
    bytes += tags.qname();
    bytes += '>';
    const ByteSlice whole = ByteSlice::copyOf(bytes);
    return Tags(whole.sub({0, startSize}), ByteRange{startSize, bytes.size()});
}

std::pair<RunItem::Kind, RunItem::Kind> cutText(const RunItem::Kind& kind, size_t at) {
    if (kind.type != Type::text && kind.type != Type::delText) return {kind, kind};
    const std::u16string& text = kind.text;
    size_t offset = std::min(at, text.size());
    if (offset > 0 && offset < text.size() && isLowSurrogate(text[offset])) --offset;
    return {RunItem::Kind{kind.type, text.substr(0, offset), 0}, RunItem::Kind{kind.type, text.substr(offset), 0}};
}

std::unique_ptr<Run> split(Run& run, size_t at, IdentityMint& mint) {
    std::vector<RunItem> left, right;
    size_t start = 0;
    for (RunItem& item : run.items) {
        if (item.kind.type == Type::props) {
            // Each half keeps its w:rPr where it stood.
            right.emplace_back(RunItem::Kind::make(Type::props));
            left.push_back(std::move(item));
            continue;
        }
        const size_t end = start + length(item.kind);
        if (end <= at) {
            left.push_back(std::move(item));
        } else if (start >= at) {
            right.push_back(std::move(item));
        } else {
            auto [head, tail] = cutText(item.kind, at - start);
            left.emplace_back(std::move(head));
            right.emplace_back(std::move(tail));
        }
        start = end;
    }
    auto result = std::make_unique<Run>();
    result->key = RunKey{mint.mint()};
    result->tags = openTags(run.tags);
    result->props = run.props;
    result->items = std::move(right);
    run.items = std::move(left);
    run.dirty = true;
    return result;
}

size_t cut(InlineOwner owner, size_t offset, EditContext& context) {
    std::vector<Inline>& inlines = owner.inlines();
    size_t start = 0;
    for (size_t index = 0; index < inlines.size(); ++index) {
        Inline& node = inlines[index];
        const bool isMarker = std::holds_alternative<PropsMarker>(node);
        if (offset == start && !isMarker) return index;
        const size_t end = start + length(node);
        if (offset >= end) {
            start = end;
            continue;
        }
        owner.markDirty();
        if (Run* run = runOf(node)) {
            auto right = split(*run, offset - start, context.mint());
            inlines.insert(inlines.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(right));
            return index + 1;
        }
        if (Container* container = containerOf(node)) {
            const size_t k = cut(*container, offset - start, context);
            auto second = std::make_unique<Container>();
            second->kind = container->kind;
            second->tags = openTags(container->tags);
            if (container->isRevision()) {
                std::string name(container->tags.prefix());
                if (!name.empty()) name += ':';
                second->tags = second->tags.with({{name + "id", std::to_string(context.nextRevisionID())}});
            }
            auto& from = container->inlines;
            std::move(from.begin() + static_cast<std::ptrdiff_t>(k), from.end(), std::back_inserter(second->inlines));
            from.erase(from.begin() + static_cast<std::ptrdiff_t>(k), from.end());
            container->dirty = true;
            inlines.insert(inlines.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(second));
            return index + 1;
        }
        return index + 1;  // a one-position raw element is never split
    }
    return inlines.size();
}

std::vector<RunItem> items(std::u16string_view text) {
    std::vector<RunItem> result;
    std::u16string pending;
    auto flush = [&] {
        if (!pending.empty()) result.emplace_back(RunItem::Kind::makeText(std::move(pending)));
        pending.clear();
    };
    // Decode to code points, then walk grapheme clusters (UAX #29) with utf8proc. An unpaired
    // surrogate is no character at all: it cannot be written as UTF-8, and goes.
    std::u32string points;
    points.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((char32_t(text[i]) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i])) {
            continue;
        }
        points.push_back(c);
    }
    utf8proc_int32_t state = 0;
    size_t i = 0;
    while (i < points.size()) {
        size_t end = i + 1;
        while (end < points.size() &&
               !utf8proc_grapheme_break_stateful(utf8proc_int32_t(points[end - 1]), utf8proc_int32_t(points[end]), &state))
            ++end;
        state = 0;
        const std::u32string_view cluster(points.data() + i, end - i);
        i = end;
        // CR LF is one character to a reader, and one line break here; a control character
        // is a cluster of its own (UAX #29 GB4, GB5).
        const XMLChars::InRun role = cluster == U"\r\n" ? XMLChars::InRun::lineBreak
                                     : cluster.size() == 1 ? XMLChars::inRun(cluster[0])
                                                           : XMLChars::InRun::character;
        if (role == XMLChars::InRun::tab) {
            flush();
            result.emplace_back(RunItem::Kind::make(Type::tab));
        } else if (role == XMLChars::InRun::lineBreak) {
            flush();
            result.emplace_back(RunItem::Kind::make(Type::lineBreak));
        } else {
            for (char32_t c : cluster) {
                if (c == 0xFFFC || XMLChars::inRun(c) != XMLChars::InRun::character) continue;
                if (c >= 0x10000) {
                    pending += char16_t(0xD800 + ((c - 0x10000) >> 10));
                    pending += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
                } else {
                    pending += char16_t(c);
                }
            }
        }
    }
    flush();
    return result;
}

std::vector<RunItem> mergeText(std::vector<RunItem> items) {
    std::vector<RunItem> result;
    result.reserve(items.size());
    auto isFreshText = [](const RunItem& item) { return item.kind.type == Type::text && !item.hasOriginal(); };
    for (RunItem& item : items) {
        if (isFreshText(item)) {
            if (item.kind.text.empty()) continue;
            if (!result.empty() && isFreshText(result.back())) {
                result.back().kind.text += item.kind.text;
                continue;
            }
        }
        result.push_back(std::move(item));
    }
    return result;
}

void insert(std::u16string_view text, Run& run, size_t item, size_t offset) {
    std::vector<RunItem> added = items(text);
    if (added.empty() || item >= run.items.size()) return;
    std::vector<RunItem> list;
    list.reserve(run.items.size() + added.size() + 1);
    for (size_t i = 0; i < item; ++i) list.push_back(std::move(run.items[i]));
    RunItem& at = run.items[item];
    auto addNew = [&] { std::move(added.begin(), added.end(), std::back_inserter(list)); };
    if (at.kind.type == Type::text) {
        auto [head, tail] = cutText(at.kind, offset);
        list.emplace_back(std::move(head));
        addNew();
        list.emplace_back(std::move(tail));
    } else if (offset >= length(at.kind)) {
        list.push_back(std::move(at));
        addNew();
    } else {
        addNew();
        list.push_back(std::move(at));
    }
    for (size_t i = item + 1; i < run.items.size(); ++i) list.push_back(std::move(run.items[i]));
    run.items = mergeText(std::move(list));
    run.dirty = true;
}

void deleteInRun(Run& run, size_t from, size_t to) {
    std::vector<RunItem> kept;
    kept.reserve(run.items.size());
    size_t start = 0;
    for (RunItem& item : run.items) {
        const size_t size = length(item.kind);
        const size_t end = start + size;
        if (size == 0 || end <= from || start >= to) {
            kept.push_back(std::move(item));
        } else if (item.kind.type == Type::text || item.kind.type == Type::delText) {
            const size_t lower = std::max(from, start) - start;
            const size_t upper = std::min(to, end) - start;
            std::u16string rest = item.kind.text.substr(0, lower) + item.kind.text.substr(upper);
            if (!rest.empty()) kept.emplace_back(RunItem::Kind{item.kind.type, std::move(rest), 0});
        }
        start = end;
    }
    run.items = std::move(kept);
    run.dirty = true;
}

void deleteDirect(InlineOwner owner, size_t from, size_t to) {
    std::vector<Inline>& inlines = owner.inlines();
    std::vector<Inline> kept;
    kept.reserve(inlines.size());
    size_t start = 0;
    for (Inline& node : inlines) {
        const size_t size = length(node);
        const size_t end = start + size;
        if (size == 0 || end <= from || start >= to) {
            kept.push_back(std::move(node));
        } else {
            owner.markDirty();
            if (Run* run = runOf(node)) {
                deleteInRun(*run, std::max(from, start) - start, std::min(to, end) - start);
                if (hasContent(*run)) kept.push_back(std::move(node));
            } else if (Container* container = containerOf(node)) {
                deleteDirect(*container, std::max(from, start) - start, std::min(to, end) - start);
                container->dirty = true;
                const bool holdsRaw = std::any_of(container->inlines.begin(), container->inlines.end(),
                                                  [](const Inline& n) { return std::holds_alternative<Raw>(n); });
                if (length(container->inlines) > 0 || holdsRaw) kept.push_back(std::move(node));
            } else if (!(start >= from && end <= to)) {
                kept.push_back(std::move(node));
            }
        }
        start = end;
    }
    inlines = std::move(kept);
}

std::vector<Covered> isolate(InlineOwner owner, size_t from, size_t to, const std::vector<Container*>& chain,
                             EditContext& context) {
    std::vector<Covered> covered;
    std::vector<Inline>& inlines = owner.inlines();
    std::vector<Inline> rebuilt;
    rebuilt.reserve(inlines.size() + 2);
    size_t start = 0;
    for (Inline& node : inlines) {
        const size_t size = length(node);
        const size_t end = start + size;
        if (size == 0 || end <= from || start >= to) {
            rebuilt.push_back(std::move(node));
        } else if (Container* container = containerOf(node)) {
            auto innerChain = chain;
            innerChain.push_back(container);
            auto inner = isolate(*container, std::max(from, start) - start, std::min(to, end) - start,
                                 innerChain, context);
            std::move(inner.begin(), inner.end(), std::back_inserter(covered));
            rebuilt.push_back(std::move(node));
        } else if (Run* run = runOf(node)) {
            std::unique_ptr<Run> current;
            Run* target = run;
            rebuilt.push_back(std::move(node));
            if (start < from) {
                current = split(*run, from - start, context.mint());
                target = current.get();
                owner.markDirty();
            }
            const size_t targetStart = std::max(start, from);
            std::unique_ptr<Run> tail;
            if (to < end) {
                tail = split(*target, to - targetStart, context.mint());
                owner.markDirty();
            }
            covered.push_back(Covered{owner, target, chain});
            if (current) rebuilt.emplace_back(std::move(current));
            if (tail) rebuilt.emplace_back(std::move(tail));
        } else {
            rebuilt.push_back(std::move(node));
        }
        start = end;
    }
    inlines = std::move(rebuilt);
    return covered;
}

}  // namespace InlineOps

}  // namespace rovuvuz
