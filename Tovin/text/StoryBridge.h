// Ties one editable text view to one story of the open document. The view shows styled
// text built from the story's block snapshots; every burst of character edits the user
// makes in the view (a keystroke, a paste, an input-method commit) becomes one engine
// replacement, after which only the paragraphs the engine reports are rebuilt.
//
// The invariant everything rests on: outside a pending edit, the view's text equals the
// entries' texts joined by one paragraph separator, a table or opaque block counting as
// one object character. The engine is the source of truth; the view is a projection of
// `entries`.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/EditHost.h"

class QKeyEvent;
class QTextEdit;
class QTextDocument;

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

class StoryBridge : public QObject {
    Q_OBJECT
  public:
    struct Entry {
        rovuvuz::BlockSnapshot block;
        // Names this snapshot of the entry: a new snapshot gets a new stamp and copies keep
        // it, so readers (the comment rail) can keep what they derived from an entry.
        uint64_t stamp = freshStamp();
    };
    static uint64_t freshStamp() {
        static uint64_t last = 0;
        return ++last;
    }
    // The edited region not yet sent to the engine, in UTF-16 offsets: entries first…last,
    // their span [oldStart, oldEnd) before the edits, and the total change in length since.
    struct Pending {
        int first = 0;
        int last = 0;
        int oldStart = 0;
        int oldEnd = 0;
        int delta = 0;
    };
    // A view selection as a location and length.
    struct Selection {
        int location = 0;
        int length = 0;
    };

    // Without a host, edits are direct and always allowed, and a refusal beeps.
    StoryBridge(rovuvuz::DocxDocument* document, rovuvuz::StoryID story, QTextEdit* view,
                AttributedBuilder builder, EditHost* host = nullptr, QObject* parent = nullptr);

    rovuvuz::DocxDocument* document() const { return doc_; }
    const rovuvuz::StoryID& story() const { return story_; }
    QTextEdit* view() const { return view_; }
    const std::vector<Entry>& entries() const { return entries_; }
    const std::optional<Pending>& pending() const { return pending_; }

    EditHost* host() const { return host_; }

    // When set, list labels come from here rather than from the story snapshot.
    std::function<std::map<rovuvuz::ParagraphID, std::string>()> customLabels;
    // When set, the blocks that reloading the whole story shows instead (a table cell's),
    // or nothing when they cannot be read.
    std::function<std::optional<std::vector<rovuvuz::BlockSnapshot>>()> freshBlocks;
    // The view's selection just before the latest user change. The bridge records it
    // itself before each key, input-method and drop event; commands that change the text
    // (cut, paste, delete) record it before they do.
    std::optional<Selection> selectionBeforeChange;

    void load(std::vector<rovuvuz::BlockSnapshot> blocks);
    // With blocks, the same as load; without, every paragraph is snapshotted afresh.
    void reloadFromModel(std::optional<std::vector<rovuvuz::BlockSnapshot>> blocks = std::nullopt);
    // Redraws the paragraphs whose formatting changed without their text changing.
    void refresh(const std::set<rovuvuz::ParagraphID>& ids);
    // Shows fresh snapshots of the paragraphs `now`, in their order, where the entries from
    // paragraph `first` to paragraph `last` stand: an edit the engine made outside the view
    // (a paste) that changed those and added the rest. The view is written once, and list
    // labels are renumbered when a list is involved. False, changing nothing, when either
    // is not shown or a block other than a paragraph stands between them.
    bool replaceParagraphs(rovuvuz::ParagraphID first, rovuvuz::ParagraphID last,
                           const std::vector<rovuvuz::ParagraphID>& now);
    // Brings every paragraph's list label up to date.
    void relabel();
    // A table's cells were edited through bridges of their own: the entry of that table, or
    // of the table holding it, is out of date until renewTables().
    void tableEdited(rovuvuz::BlockID table);
    // Gives the entries of the tables whose cells were edited a fresh snapshot under a new
    // stamp. The view is left alone: it shows each table as one object character, whose text
    // a cell edit does not change.
    void renewTables();
    // A view range as paragraph-local ranges, in story order; a caret at either edge of a
    // paragraph belongs to it. Tables and opaque blocks are skipped.
    std::vector<std::pair<rovuvuz::ParagraphID, rovuvuz::TextRange>> paragraphRanges(int location,
                                                                                     int length) const;
    // The start offset of each entry in view coordinates.
    std::vector<int> starts() const;
    // New text continues the format of the character before the caret, never an
    // attachment or a link.
    void updateTypingAttributes();
    // Sends the pending edit now (commands call it before they read the model).
    void flush();
    // Records the view's current selection as the one before the coming change.
    void noteSelection();

    // The entries' texts joined by "\n": what the view's text must equal when nothing is
    // pending.
    QString entriesText() const;
    // The view's text with "\n" between blocks.
    QString viewText() const;

    static QString textOf(const Entry& entry);
    // textOf(entry).size() without building the text.
    static int lengthOf(const Entry& entry);

  Q_SIGNALS:
    // After each edit that reached the engine, once the view is up to date.
    void edited();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void contentsChanged(int position, int removed, int added);
    bool splitsParagraph(const QKeyEvent& key);
    void refuse(const QString& reason = {});
    void applyAcross(const Pending& pending, int a, int offsetA, int b, int offsetB, const std::u16string& inserted,
                     qsizetype replacedEnd);
    void finishEdit();
    void record(int location, int length, int delta);
    void scheduleFlush();
    void apply();
    std::pair<int, int> locate(int offset, int from) const;
    // Where `old` (the region's entries, starting at view offset `regionStart`) was edited
    // into `now`: the lengths of the prefix and suffix the edit left alone.
    std::pair<qsizetype, qsizetype> changedSpan(const QString& now, const QString& old, int regionStart) const;
    // `knownStart`, when given, is entry `first`'s view offset (saves counting it).
    void replaceRegion(int first, int last, std::vector<Entry> replacement, int currentEnd,
                       std::optional<int> caret, std::optional<int> knownStart = std::nullopt);
    void putBack(int first, int last, int currentEnd);
    void reloadStory(int caret);
    // Every block of the story as it stands (freshBlocks' when set); nothing when it cannot
    // be read.
    std::optional<std::vector<rovuvuz::BlockSnapshot>> storyBlocks() const;
    bool unreported(int a, int b, const std::vector<rovuvuz::ParagraphID>& ids) const;
    void writeRegion(int start, int end, const std::vector<Entry>& replacement);
    void rewriteAttributes(int start, const std::vector<Entry>& replacement);
    void relabelIfListed(int first, size_t count, const std::vector<Entry>& fresh);
    // replaceParagraphs() once the entries first…last, at view offsets [start, end), are found.
    void replaceShown(size_t first, size_t last, int start, int end, const std::vector<rovuvuz::ParagraphID>& now);
    // Replaces entry `index`, which starts at view offset `start`.
    void replaceEntry(size_t index, Entry entry, int start);
    static int entryIndex(int offset, const std::vector<int>& starts);
    QString storageText(int start, int end) const;
    int storageLength() const;
    bool hasMarkedText() const;
    Selection selection() const;
    void select(int anchor, int position);

    rovuvuz::DocxDocument* doc_;
    EditHost* host_;
    rovuvuz::StoryID story_;
    QPointer<QTextEdit> view_;
    AttributedBuilder builder_;
    std::vector<Entry> entries_;
    std::optional<Pending> pending_;
    std::vector<rovuvuz::BlockID> editedTables_;  // since the entries were last renewed
    bool flushScheduled_ = false;
    bool applying_ = false;
};

}  // namespace tovin
