// What the comment rail shows, as values: one card per comment thread (its first comment,
// the replies to that comment, whether the thread is resolved, and the body offset of its
// start mark) and one per tracked insertion or deletion of the body (adjacent runs of one
// revision joined) and per run of tracked table rows, comment cards first. A tracked
// paragraph mark belongs to the card of the text its author typed or deleted with it, right
// before it in its paragraph or right after it at the start of the next one, and has a card
// of its own only without such text; a card stands for all the revisions it shows. Read from the body
// bridge's entries, which are exactly the blocks the body view shows, and from the comments
// story. What stands inside a table (its cells' changes and comment marks, its tracked
// rows) is anchored at the table's one object character.
//
// `RailReader` keeps what it derived from each body entry under the entry's stamp and the
// comment threads until told the comments changed, so that after a keystroke only the
// edited paragraph is read again.
#pragma once

#include <QString>
#include <QTextEdit>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "RovuVuz/document/Comments.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/text/StoryBridge.h"

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

struct CommentCardModel {
    rovuvuz::EntrySnapshot comment;
    std::vector<rovuvuz::EntrySnapshot> replies;
    bool done = false;
    int anchor = 0;  // body offset of the comment's start mark; 0 when it has none there
    bool operator==(const CommentCardModel&) const = default;
};

struct ChangeCardModel {
    rovuvuz::RevisionInfo revision;
    int location = 0;  // the change's range in body offsets; a table's character for one inside it
    int length = 0;
    QString snippet;   // quoted, at most 120 units of the changed text; ¶ where a mark goes with it
    bool row = false;  // table rows inserted or deleted
    bool mark = false;  // a paragraph mark alone
    int rowCount = 0;   // how many rows a row card stands for
    // The other revisions the card stands for: a paragraph mark typed with the text, the
    // rows after the first.
    std::vector<rovuvuz::RevisionID> also;
    bool operator==(const ChangeCardModel&) const = default;

    // Every revision the card stands for, its own first.
    std::vector<rovuvuz::RevisionID> revisions() const;
};

// Where a change card's content comes from: the body entry's stamp, the change's index
// among that entry's changes, and the stamp of the entry before when the card also holds
// that entry's paragraph mark (0 otherwise). The same key means the same content.
struct ChangeKey {
    uint64_t stamp = 0;
    int index = 0;
    uint64_t markFrom = 0;
    bool operator==(const ChangeKey&) const = default;
};

struct RailModel {
    // The thread cards, when the comments story was read for this model; otherwise the
    // threads are those of the last read and only `anchors` is new.
    std::optional<std::vector<CommentCardModel>> comments;
    std::vector<int> anchors;  // one per thread card, in the same order
    // The changes in text order; `model` points into the reader and holds until its next read.
    struct Change {
        ChangeKey key;
        int location = 0;
        const ChangeCardModel* model = nullptr;
    };
    std::vector<Change> changes;
    // The body text that differs from the last read, as that read's entries compare with
    // these: offsets [changedFrom, changedTo) now, everything after moved by `shift`. The
    // whole text on a first read.
    int changedFrom = 0;
    int changedTo = std::numeric_limits<int>::max();
    int shift = 0;

    // Every thread's card, anchors left at 0: first comments in file order, each with the
    // entries that answer it directly.
    static std::vector<CommentCardModel> threads(
        const std::map<rovuvuz::CommentID, rovuvuz::CommentThreadInfo>& info,
        const std::vector<rovuvuz::EntrySnapshot>& entries);
    // The quoted snippet of `length` units of a paragraph's text from `from`.
    static QString snippet(const QString& text, int from, int length);
};

class RailReader {
  public:
    // The next read takes the comments story again (after a reload of the whole model).
    void commentsChanged() { threads_.reset(); }
    RailModel read(const std::vector<StoryBridge::Entry>& body, rovuvuz::DocxDocument* doc);
    // Whether the last read found an entry with this stamp.
    bool isCurrent(uint64_t stamp) const;

  private:
    // What one body entry contributes, in offsets local to it.
    struct EntryFacts {
        int length = 1;
        std::vector<std::pair<int64_t, int>> commentStarts;  // comment ID, offset
        std::vector<ChangeCardModel> changes;
        uint64_t seen = 0;  // the read that last found it
    };
    static EntryFacts factsOf(const StoryBridge::Entry& entry);
    // Pushes an entry's changes, a lone paragraph mark of the entry before (`heldMark`)
    // joining its first change or standing before it.
    struct HeldMark {
        const ChangeCardModel* model = nullptr;
        ChangeKey key;
        int location = 0;
        uint64_t stamp = 0;
    };
    void pushChanges(RailModel& model, EntryFacts& facts, uint64_t stamp, int start, std::optional<HeldMark>& held);
    static void addTable(const rovuvuz::TableSnapshot& table, int depth, EntryFacts& facts);
    void changedRegion(RailModel& model, std::vector<uint64_t> stamps, std::vector<int> starts);

    std::unordered_map<uint64_t, EntryFacts> facts_;
    uint64_t reads_ = 0;
    std::vector<uint64_t> stamps_;           // the entries of the last read
    std::vector<EntryFacts*> factsByIndex_;  // what was read of them (nodes of facts_)
    size_t lastChanges_ = 0;
    std::vector<int> starts_;  // their offsets, and the text's length + 1 at the end
    std::deque<ChangeCardModel> joined_;  // the cards of this read that join a mark to the next entry
    // The thread cards, or nothing when not read yet; an unreadable comments story reads
    // as no threads.
    std::optional<std::vector<CommentCardModel>> threads_;
};

// An entry's text as the card shows it: its paragraphs joined by line breaks.
QString entryText(const rovuvuz::EntrySnapshot& entry);

// An ISO 8601 date as "MMM d" in the user's locale, upper-cased; empty when it does not parse.
QString shortDate(const std::optional<std::string>& iso);

}  // namespace tovin
