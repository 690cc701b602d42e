#include "Tovin/review/RailModel.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>

#include "RovuVuz/document/DocxDocument.h"

namespace tovin {

namespace {

using rovuvuz::CommentID;
using rovuvuz::EntrySnapshot;
using rovuvuz::ParagraphSnapshot;

constexpr int snippetUnits = 120;

std::optional<std::vector<CommentCardModel>> readThreads(rovuvuz::DocxDocument& doc) {
    try {
        if (!doc.part(rovuvuz::StoryID::comments())) return std::vector<CommentCardModel>{};
        const std::vector<EntrySnapshot> entries = doc.snapshot(rovuvuz::StoryID::comments()).entries;
        return RailModel::threads(doc.commentThreads(), entries);
    } catch (const std::exception&) {
        // A comments part that does not read leaves the change cards.
        return std::nullopt;
    }
}

// The first pair with `id` or above in pairs sorted by ID. Threads usually come in the
// order of their identifiers, so the search looks a few steps on from the last one found
// before it bisects.
using IDOffsets = std::vector<std::pair<int64_t, int>>;
IDOffsets::const_iterator findID(const IDOffsets& pairs, IDOffsets::const_iterator last, int64_t id) {
    auto before = [](const auto& pair, int64_t value) { return pair.first < value; };
    if (last != pairs.begin() && std::prev(last)->first >= id)
        return std::lower_bound(pairs.begin(), last, id, before);
    for (int step = 0; step < 4 && last != pairs.end(); ++step, ++last)
        if (last->first >= id) return last;
    return std::lower_bound(last, pairs.end(), id, before);
}

// Tables nested deeper than this inside a table add nothing to its cards.
constexpr int deepestTable = 8;

// Whether a paragraph mark's change goes with a text change: the same author making the
// same kind of change.
bool goTogether(const rovuvuz::RevisionInfo& a, const rovuvuz::RevisionInfo& b) {
    return a.kind == b.kind && a.author == b.author;
}

const QChar pilcrow(0x00B6);

// The card with a paragraph mark's revision too, its pilcrow inside the quotes on the side
// the mark stands.
ChangeCardModel withMark(ChangeCardModel change, const rovuvuz::RevisionInfo& mark, bool before) {
    change.also.push_back(mark.id);
    if (change.snippet.size() >= 2)
        change.snippet.insert(before ? 1 : change.snippet.size() - 1, pilcrow);
    return change;
}

// A paragraph's changes in offsets local to it: runs of one revision that touch are one
// change (a change never continues into the next paragraph, whose text starts one
// separator later). Its mark's change joins the change that ends the paragraph, or is a
// card of its own at the separator.
std::vector<ChangeCardModel> paragraphChanges(const ParagraphSnapshot& paragraph) {
    std::vector<ChangeCardModel> changes;
    for (const rovuvuz::Span& span : paragraph.spans) {
        if (!span.revision || span.range.size() == 0) continue;
        const int from = int(span.range.lower);
        const int to = int(span.range.upper);
        if (!changes.empty() && changes.back().revision.id == span.revision->id &&
            changes.back().location + changes.back().length == from)
            changes.back().length = to - changes.back().location;
        else
            changes.push_back({*span.revision, from, to - from, {}, false, false, 0, {}});
    }
    if (!changes.empty()) {
        const QString text = QString::fromStdU16String(paragraph.text);
        for (ChangeCardModel& change : changes)
            change.snippet = RailModel::snippet(text, change.location, change.length);
    }
    if (const auto& mark = paragraph.markRevision) {
        const int end = int(paragraph.text.size());
        if (!changes.empty() && changes.back().location + changes.back().length == end &&
            goTogether(changes.back().revision, *mark))
            changes.back() = withMark(std::move(changes.back()), *mark, /*before=*/false);
        else
            changes.push_back({*mark, end, 1, QString(QChar(0x201C)) + pilcrow + QChar(0x201D), false, true, 0, {}});
    }
    return changes;
}

// What a row shows: its cells' paragraphs, joined by spaces.
QString rowText(const std::vector<rovuvuz::CellSnapshot>& cells) {
    QStringList parts;
    for (const rovuvuz::CellSnapshot& cell : cells)
        for (const rovuvuz::BlockSnapshot& block : cell.blocks)
            if (const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value))
                parts << QString::fromStdU16String(paragraph->text);
    return parts.join(QChar(' '));
}

}  // namespace

std::vector<rovuvuz::RevisionID> ChangeCardModel::revisions() const {
    std::vector<rovuvuz::RevisionID> all{revision.id};
    all.insert(all.end(), also.begin(), also.end());
    return all;
}

std::vector<CommentCardModel> RailModel::threads(const std::map<CommentID, rovuvuz::CommentThreadInfo>& info,
                                                 const std::vector<EntrySnapshot>& entries) {
    auto parentOf = [&](int64_t id) -> std::optional<int64_t> {
        const auto found = info.find(CommentID{id});
        if (found == info.end() || !found->second.parent) return std::nullopt;
        return found->second.parent->rawValue;
    };
    // Replies by the comment they answer, in file order.
    std::map<int64_t, std::vector<const EntrySnapshot*>> replies;
    for (const EntrySnapshot& entry : entries) {
        if (const auto parent = parentOf(entry.id)) replies[*parent].push_back(&entry);
    }
    std::vector<CommentCardModel> cards;
    for (const EntrySnapshot& entry : entries) {
        if (parentOf(entry.id)) continue;  // a reply belongs to its thread's card
        CommentCardModel card;
        card.comment = entry;
        for (const EntrySnapshot* reply : replies[entry.id]) card.replies.push_back(*reply);
        const auto thread = info.find(CommentID{entry.id});
        card.done = thread != info.end() && thread->second.done;
        cards.push_back(std::move(card));
    }
    return cards;
}

QString RailModel::snippet(const QString& text, int from, int length) {
    from = std::clamp(from, 0, int(text.size()));
    QString shown = text.mid(from, std::min(length, snippetUnits));
    shown.remove(QChar(0xFFFC));  // objects (pictures, note marks) have no text to quote
    shown = shown.trimmed();
    if (length > snippetUnits) shown += QChar(0x2026);
    return QChar(0x201C) + shown + QChar(0x201D);
}

// Everything inside a table stands at its one character: each run of tracked rows (rows one
// after another inserted or deleted by one author, as a whole table is), then the changes
// and comment start marks of the rows' cells, row by row, nested tables in their place.
void RailReader::addTable(const rovuvuz::TableSnapshot& table, int depth, EntryFacts& facts) {
    auto rowRevision = table.rowRevisions.begin();
    // The run of rows the last row card stands for: its index in facts.changes, its last row.
    std::optional<std::pair<size_t, size_t>> rows;
    QStringList rowTexts;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        for (; rowRevision != table.rowRevisions.end() && rowRevision->row <= r; ++rowRevision) {
            if (rowRevision->row != r) continue;
            const QString text = rowText(table.rows[r]);
            if (rows && rows->second + 1 == r && goTogether(facts.changes[rows->first].revision, rowRevision->revision)) {
                ChangeCardModel& card = facts.changes[rows->first];
                card.also.push_back(rowRevision->revision.id);
                ++card.rowCount;
                rowTexts << text;
                const QString all = rowTexts.join(QChar(' '));
                card.snippet = RailModel::snippet(all, 0, int(all.size()));
                rows->second = r;
                continue;
            }
            rowTexts = {text};
            rows = std::pair(facts.changes.size(), r);
            facts.changes.push_back(
                {rowRevision->revision, 0, 1, RailModel::snippet(text, 0, int(text.size())), true, false, 1, {}});
        }
        for (const rovuvuz::CellSnapshot& cell : table.rows[r]) {
            for (const rovuvuz::BlockSnapshot& block : cell.blocks) {
                if (const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value)) {
                    for (const rovuvuz::CommentMark& mark : paragraph->commentMarks)
                        if (mark.isStart) facts.commentStarts.emplace_back(mark.id.rawValue, 0);
                    for (ChangeCardModel& change : paragraphChanges(*paragraph)) {
                        // The text of a row inserted or deleted goes with the row.
                        if (rows && rows->second == r && goTogether(facts.changes[rows->first].revision, change.revision)) {
                            auto& also = facts.changes[rows->first].also;
                            for (const rovuvuz::RevisionID id : change.revisions())
                                if (std::find(also.begin(), also.end(), id) == also.end()) also.push_back(id);
                            continue;
                        }
                        change.location = 0;
                        change.length = 1;
                        facts.changes.push_back(std::move(change));
                    }
                } else if (const auto* inner = std::get_if<rovuvuz::TableSnapshot>(&block.value)) {
                    if (depth < deepestTable) addTable(*inner, depth + 1, facts);
                }
            }
        }
    }
}

// A paragraph's comment start marks and its changes; a table's, all at its character.
RailReader::EntryFacts RailReader::factsOf(const StoryBridge::Entry& entry) {
    EntryFacts facts;
    if (const auto* table = std::get_if<rovuvuz::TableSnapshot>(&entry.block.value)) {
        addTable(*table, 0, facts);
        return facts;
    }
    const auto* paragraph = std::get_if<ParagraphSnapshot>(&entry.block.value);
    if (!paragraph) return facts;  // an opaque block is one object character
    facts.length = int(paragraph->text.size());
    for (const rovuvuz::CommentMark& mark : paragraph->commentMarks)
        if (mark.isStart) facts.commentStarts.emplace_back(mark.id.rawValue, int(mark.offset));
    facts.changes = paragraphChanges(*paragraph);
    return facts;
}

RailModel RailReader::read(const std::vector<StoryBridge::Entry>& body, rovuvuz::DocxDocument* doc) {
    RailModel model;
    const bool reading = !threads_.has_value();
    if (reading) threads_ = doc ? readThreads(*doc) : std::nullopt;
    if (!threads_) threads_.emplace();  // unreadable: no threads until the comments change
    ++reads_;

    // Only entries with a stamp not seen before are read; the others move.
    std::vector<std::pair<int64_t, int>> anchors;
    std::vector<uint64_t> stamps;
    std::vector<int> starts;
    stamps.reserve(body.size());
    starts.reserve(body.size() + 1);
    int start = 0;
    std::vector<EntryFacts*> byIndex;
    byIndex.reserve(body.size());
    model.changes.reserve(lastChanges_);
    joined_.clear();
    std::optional<HeldMark> held;
    // An entry usually stands where it stood at the last read, or as far from the end.
    const ptrdiff_t fromEnd = ptrdiff_t(stamps_.size()) - ptrdiff_t(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        const StoryBridge::Entry& entry = body[i];
        stamps.push_back(entry.stamp);
        starts.push_back(start);
        EntryFacts* known = nullptr;
        for (const ptrdiff_t at : {ptrdiff_t(i), ptrdiff_t(i) + fromEnd})
            if (!known && at >= 0 && at < ptrdiff_t(stamps_.size()) && stamps_[size_t(at)] == entry.stamp)
                known = factsByIndex_[size_t(at)];
        if (!known) {
            auto found = facts_.find(entry.stamp);
            if (found == facts_.end()) found = facts_.emplace(entry.stamp, factsOf(entry)).first;
            known = &found->second;
        }
        byIndex.push_back(known);
        EntryFacts& facts = *known;
        facts.seen = reads_;
        for (const auto& [id, offset] : facts.commentStarts) anchors.emplace_back(id, start + offset);
        pushChanges(model, facts, entry.stamp, start, held);
        start += facts.length + 1;
    }
    if (held) model.changes.push_back({held->key, held->location, held->model});
    starts.push_back(start);
    changedRegion(model, std::move(stamps), std::move(starts));
    factsByIndex_ = std::move(byIndex);
    lastChanges_ = model.changes.size();
    if (facts_.size() > 2 * body.size() + 64)
        std::erase_if(facts_, [&](const auto& f) { return f.second.seen != reads_; });

    // The first start mark of a comment is its anchor.
    auto byID = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(anchors.begin(), anchors.end(), byID))  // identifiers usually go up
        std::stable_sort(anchors.begin(), anchors.end(), byID);
    model.anchors.reserve(threads_->size());
    auto at = anchors.cbegin();
    for (const CommentCardModel& card : *threads_) {
        at = findID(anchors, at, card.comment.id);
        model.anchors.push_back(at != anchors.end() && at->first == card.comment.id ? at->second : 0);
    }
    if (reading) {
        model.comments = *threads_;
        for (size_t i = 0; i < model.anchors.size(); ++i) (*model.comments)[i].anchor = model.anchors[i];
    }
    return model;
}

// A paragraph mark alone at the end of an entry waits for the next entry: when that one's
// first change starts it and goes with the mark (Return, then typing), the two are one card.
void RailReader::pushChanges(RailModel& model, EntryFacts& facts, uint64_t stamp, int start,
                             std::optional<HeldMark>& held) {
    for (size_t k = 0; k < facts.changes.size(); ++k) {
        const ChangeCardModel& change = facts.changes[k];
        const ChangeKey key{stamp, int(k), 0};
        if (held) {
            if (k == 0 && change.location == 0 && !change.row && !change.mark &&
                goTogether(held->model->revision, change.revision)) {
                joined_.push_back(withMark(change, held->model->revision, /*before=*/true));
                model.changes.push_back({{stamp, int(k), held->stamp}, start, &joined_.back()});
                held.reset();
                continue;
            }
            model.changes.push_back({held->key, held->location, held->model});
            held.reset();
        }
        if (change.mark && k + 1 == facts.changes.size()) {
            held = HeldMark{&change, key, start + change.location, stamp};
            continue;
        }
        model.changes.push_back({key, start + change.location, &change});
    }
    // An entry without changes ends the wait: its start is not the next one's.
    if (held && held->stamp != stamp && facts.changes.empty()) {
        model.changes.push_back({held->key, held->location, held->model});
        held.reset();
    }
}

// The entries that kept their stamps at the start and at the end of the text bound what
// changed since the last read.
void RailReader::changedRegion(RailModel& model, std::vector<uint64_t> stamps, std::vector<int> starts) {
    if (!stamps_.empty()) {
        const size_t n = stamps.size(), m = stamps_.size();
        size_t prefix = 0;
        while (prefix < n && prefix < m && stamps[prefix] == stamps_[prefix]) ++prefix;
        size_t suffix = 0;
        while (suffix < n - prefix && suffix < m - prefix &&
               stamps[n - 1 - suffix] == stamps_[m - 1 - suffix])
            ++suffix;
        model.changedFrom = starts[prefix];
        model.changedTo = starts[n - suffix];
        model.shift = starts[n - suffix] - starts_[m - suffix];
    }
    stamps_ = std::move(stamps);
    starts_ = std::move(starts);
}

bool RailReader::isCurrent(uint64_t stamp) const {
    const auto found = facts_.find(stamp);
    return found != facts_.end() && found->second.seen == reads_;
}

QString entryText(const EntrySnapshot& entry) {
    QStringList paragraphs;
    for (const rovuvuz::BlockSnapshot& block : entry.blocks) {
        if (const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value)) {
            QString text = QString::fromStdU16String(paragraph->text);
            text.remove(QChar(0xFFFC));
            paragraphs << text;
        }
    }
    return paragraphs.join(QChar('\n'));
}

QString shortDate(const std::optional<std::string>& iso) {
    if (!iso) return {};
    const QDateTime date = QDateTime::fromString(QString::fromStdString(*iso), Qt::ISODate);
    if (!date.isValid()) return {};
    const QLocale locale;
    return (locale.monthName(date.date().month(), QLocale::ShortFormat) + QChar(' ') +
            locale.toString(date.date().day()))
        .toUpper();
}

}  // namespace tovin
