#include "Tovin/text/StoryBridge.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>
#include <exception>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/text/StoryText.h"
#include "Tovin/text/TextProperties.h"

namespace tovin {

namespace {

using rovuvuz::BlockSnapshot;
using rovuvuz::ParagraphID;
using rovuvuz::ParagraphSnapshot;

const QChar objectCharacter(0xFFFC);

const ParagraphSnapshot* paragraphOf(const StoryBridge::Entry& entry) {
    return std::get_if<ParagraphSnapshot>(&entry.block.value);
}

bool isLowSurrogate(QChar c) {
    return (c.unicode() & 0xFC00) == 0xDC00;
}

// The UTF-16 text with every unpaired surrogate replaced, as the engine stores only
// well-formed text.
std::u16string wellFormed(QStringView text) {
    std::u16string out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += char16_t(c.unicode());
            out += char16_t(text[++i].unicode());
        } else if (c.isSurrogate()) {
            out += u'\uFFFD';
        } else {
            out += char16_t(c.unicode());
        }
    }
    return out;
}

QString joined(const std::vector<StoryBridge::Entry>& entries, size_t from, size_t to) {
    QString text;
    for (size_t i = from; i < to; ++i) {
        if (i > from) text += QLatin1Char('\n');
        text += StoryBridge::textOf(entries[i]);
    }
    return text;
}

qsizetype commonSuffix(const QString& a, const QString& b, qsizetype limit) {
    qsizetype s = 0;
    while (s < limit && a[a.size() - 1 - s] == b[b.size() - 1 - s]) ++s;
    return s;
}

// Typed text continues the character before it, but never as an object or a link.
QTextCharFormat typingFormat(QTextCharFormat format) {
    format.clearProperty(QTextFormat::ObjectType);
    format.clearProperty(TextProperty::attachment);
    format.clearProperty(QTextFormat::IsAnchor);
    format.clearProperty(QTextFormat::AnchorHref);
    format.clearProperty(QTextFormat::AnchorName);
    return format;
}

// An edit that brings more paragraphs than this shows the whole story anew when they
// outnumber the rest (replaceShown).
constexpr size_t wholeStoryEdit = 1000;

// Tables nested deeper than this are not searched for an edited one.
constexpr int deepestTable = 16;

// Whether a table is one of `ids` or holds one of them in its cells.
bool holdsAny(const rovuvuz::TableSnapshot& table, const std::vector<rovuvuz::BlockID>& ids, int depth = 0) {
    if (std::find(ids.begin(), ids.end(), table.id) != ids.end()) return true;
    if (depth >= deepestTable) return false;
    for (const auto& row : table.rows)
        for (const rovuvuz::CellSnapshot& cell : row)
            for (const BlockSnapshot& block : cell.blocks)
                if (const auto* inner = std::get_if<rovuvuz::TableSnapshot>(&block.value))
                    if (holdsAny(*inner, ids, depth + 1)) return true;
    return false;
}

}  // namespace

StoryBridge::StoryBridge(rovuvuz::DocxDocument* document, rovuvuz::StoryID story, QTextEdit* view,
                         AttributedBuilder builder, EditHost* host, QObject* parent)
    : QObject(parent),
      doc_(document),
      host_(host),
      story_(std::move(story)),
      view_(view),
      builder_(std::move(builder)) {
    QTextDocument* text = view->document();
    // Undo is the editor's: it restores package snapshots, not view edits.
    text->setUndoRedoEnabled(false);
    connect(text, &QTextDocument::contentsChange, this, &StoryBridge::contentsChanged);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

QString StoryBridge::textOf(const Entry& entry) {
    if (const ParagraphSnapshot* paragraph = paragraphOf(entry))
        return QString::fromStdU16String(paragraph->text);
    return QString(objectCharacter);
}

int StoryBridge::lengthOf(const Entry& entry) {
    const ParagraphSnapshot* paragraph = paragraphOf(entry);
    return paragraph ? int(paragraph->text.size()) : 1;
}

QString StoryBridge::entriesText() const {
    return joined(entries_, 0, entries_.size());
}

QString StoryBridge::viewText() const {
    return storageText(0, storageLength());
}

std::vector<int> StoryBridge::starts() const {
    std::vector<int> out;
    out.reserve(entries_.size());
    int at = 0;
    for (const Entry& entry : entries_) {
        out.push_back(at);
        at += lengthOf(entry) + 1;
    }
    return out;
}

int StoryBridge::entryIndex(int offset, const std::vector<int>& starts) {
    if (starts.size() < 2) return 0;
    auto it = std::upper_bound(starts.begin(), starts.end(), offset);
    return it == starts.begin() ? 0 : int(it - starts.begin()) - 1;
}

// ---- Receiving edits ----

void StoryBridge::contentsChanged(int position, int removed, int added) {
    if (applying_) return;
    if (entries_.empty()) {
        // A story without a paragraph has nowhere to put text: the edit is refused.
        if (removed != added || view_->document()->characterCount() > 1)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!entries_.empty() || view_->document()->characterCount() <= 1) return;
                    refuse();
                    load({});
                },
                Qt::QueuedConnection);
        return;
    }
    record(position, added, added - removed);
    scheduleFlush();
}

void StoryBridge::record(int location, int length, int delta) {
    int s = location;
    int e = std::max(location + length - delta, location);
    if (pending_) {
        const Pending& p = *pending_;
        const int currentEnd = p.oldEnd + p.delta;
        if (s > p.oldStart) s = s >= currentEnd ? s - p.delta : std::min(p.oldEnd, s);
        s = std::min(p.oldStart, s);
        if (e > p.oldStart) e = e >= currentEnd ? e - p.delta : std::min(e, p.oldEnd);
        e = std::max(p.oldEnd, e);
    }
    const std::vector<int> at = starts();
    const int first = entryIndex(s, at);
    const int last = entryIndex(e, at);
    // The change in length is what the view's text has gained on the entries', not the sum of
    // the reports: a format change of the whole text (the column's frame, moved by a relayout
    // while a keystroke waits) reports a span that repeats the keystroke's own.
    const int entriesLength = at.back() + lengthOf(entries_.back());
    pending_ = Pending{first, last, at[first], at[last] + lengthOf(entries_[last]), storageLength() - entriesLength};
}

void StoryBridge::scheduleFlush() {
    if (flushScheduled_) return;
    flushScheduled_ = true;
    // Queued behind the event being handled, so every edit of one key press, paste or
    // input-method commit lands in one flush; eventFilter flushes before the next input.
    QMetaObject::invokeMethod(
        this, [this] { flush(); }, Qt::QueuedConnection);
}

void StoryBridge::flush() {
    flushScheduled_ = false;
    if (!view_ || hasMarkedText() || !pending_) return;
    if (!host_ || host_->mayEdit()) {
        apply();
        return;
    }
    pending_.reset();
    refuse(host_->whyNotEditable());
    reloadFromModel();
}

bool StoryBridge::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::InputMethod:
        case QEvent::Drop:
            // The previous input's edit reaches the engine before this one starts.
            if (pending_) flush();
            noteSelection();
            if (event->type() == QEvent::KeyPress && splitsParagraph(*static_cast<QKeyEvent*>(event))) return true;
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

// Return starts a new paragraph, always. Qt's text view does not when the caret stands in an
// empty paragraph with a format of its own: it gives the paragraph the default format
// instead (ending a list the way some editors do), and every paragraph shown here has the
// format of its document.
bool StoryBridge::splitsParagraph(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if ((key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) || modifiers != Qt::NoModifier) return false;
    if (!view_ || view_->isReadOnly()) return false;
    QTextCursor cursor = view_->textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertBlock();
    cursor.endEditBlock();
    view_->setTextCursor(cursor);
    view_->ensureCursorVisible();
    return true;
}

void StoryBridge::noteSelection() {
    if (view_) selectionBeforeChange = selection();
}

// ---- Applying ----

std::pair<int, int> StoryBridge::locate(int offset, int from) const {
    int index = from;
    while (index + 1 < int(entries_.size())) {
        const int length = lengthOf(entries_[index]);
        if (offset <= length) break;
        offset -= length + 1;
        ++index;
    }
    return {index, offset};
}

void StoryBridge::apply() {
    const Pending p = *pending_;
    pending_.reset();
    const int currentEnd = p.oldEnd + p.delta;
    if (storageLength() < currentEnd || p.oldStart > currentEnd) {
        reloadFromModel();
        return;
    }
    const QString now = storageText(p.oldStart, currentEnd);
    const QString old = joined(entries_, p.first, p.last + 1);
    if (now == old) return;

    auto [prefix, suffix] = changedSpan(now, old, p.oldStart);
    // Never cut a surrogate pair: the replacement covers the whole character.
    if (prefix >= 1 && prefix < old.size() && isLowSurrogate(old[prefix])) --prefix;
    if (suffix > 0 && isLowSurrogate(old[old.size() - suffix])) --suffix;
    const std::u16string inserted = wellFormed(QStringView(now).mid(prefix, now.size() - suffix - prefix));

    const auto [a, offsetA] = locate(int(prefix), p.first);
    const auto [b, offsetB] = locate(int(old.size() - suffix), p.first);
    for (int i = a; i <= b; ++i) {
        if (!paragraphOf(entries_[i])) {
            applyAcross(p, a, offsetA, b, offsetB, inserted, old.size() - suffix);
            return;
        }
    }

    if (host_) host_->willEdit(*this);
    const rovuvuz::EditMode editMode = host_ ? host_->editMode() : rovuvuz::EditMode::direct();
    std::vector<ParagraphID> ids;
    try {
        ids = doc_->replaceText({paragraphOf(entries_[a])->id, size_t(offsetA)},
                                {paragraphOf(entries_[b])->id, size_t(offsetB)}, story_, inserted, editMode);
    } catch (const std::exception& error) {
        refuse(QString::fromUtf8(error.what()));
        reloadFromModel();
        return;
    }

    std::vector<Entry> fresh;
    for (const ParagraphID& id : ids) {
        try {
            fresh.push_back(Entry{BlockSnapshot{doc_->snapshot(id, story_)}});
        } catch (const std::exception&) {
            // Left out until the next reload.
        }
    }
    // A paragraph edited in place keeps its list label when its numbering did not change;
    // any other change to a list relabels the story below.
    bool labelsKept = false;
    if (a == b && fresh.size() == 1) {
        const ParagraphSnapshot* before = paragraphOf(entries_[a]);
        auto* after = std::get_if<ParagraphSnapshot>(&fresh[0].block.value);
        if (after->id == before->id && after->format.numbering == before->format.numbering &&
            after->format.numberingLevel == before->format.numberingLevel) {
            after->listLabel = before->listLabel;
            labelsKept = true;
        }
    }

    std::vector<Entry> merged(entries_.begin() + p.first, entries_.begin() + a);
    merged.insert(merged.end(), fresh.begin(), fresh.end());
    merged.insert(merged.end(), entries_.begin() + b + 1, entries_.begin() + p.last + 1);

    const QString shown = joined(merged, 0, merged.size());
    std::optional<int> caret;
    if (shown != now) {
        qsizetype at = 0;
        if (inserted.empty()) {
            // A deletion that left the text visible (tracked): a backward delete puts the
            // caret before it, a forward one after it.
            const qsizetype deletedEnd = p.oldStart + old.size() - suffix;
            if (!selectionBeforeChange)
                at = prefix;
            else if (selectionBeforeChange->length == 0 && selectionBeforeChange->location == deletedEnd)
                at = prefix;
            else
                at = shown.size() - suffix;
        } else {
            // Just after the inserted text: the engine puts it after the text it marks
            // deleted, right before what the edit left alone. (Measured by the text alone,
            // a typed space before a space would put the caret before the typed one.)
            at = shown.size() - suffix;
        }
        caret = int(std::clamp<qsizetype>(at, 0, shown.size())) + p.oldStart;
    }

    // Direct edits show exactly what was typed. When the engine's paragraphs say otherwise,
    // or a paragraph of the region outlived a tracked edit without being reported (the
    // author's own inserted paragraph marks vanish and join), the region is not all the
    // engine changed: the view is rebuilt from the whole story.
    if (editMode.isTracked() ? unreported(a, b, ids) : shown != now) {
        reloadStory(caret.value_or(int(prefix) + p.oldStart));
        finishEdit();
        return;
    }
    const size_t count = size_t(p.last - p.first + 1);
    replaceRegion(p.first, p.last, std::move(merged), currentEnd, caret);
    if (!labelsKept) relabelIfListed(p.first, count, fresh);
    finishEdit();
}

// The text alone cannot say where an edit was made when it repeats itself: deleting
// "some " from "some superscript" leaves the same text as deleting "ome s". The selection
// before the change and the caret after it can: the selection was replaced (typing, Paste,
// Cut, Delete over it), or a caret's Backspace or Delete removed the characters now
// following the caret. Whichever of these the text agrees with is the edit; otherwise the
// common prefix and suffix of the two texts are kept.
std::pair<qsizetype, qsizetype> StoryBridge::changedSpan(const QString& now, const QString& old,
                                                         int regionStart) const {
    const qsizetype grown = now.size() - old.size();
    // Whether replacing old[from, to) gives `now`.
    auto agrees = [&](qsizetype from, qsizetype to) {
        return from >= 0 && from <= to && to <= old.size() && to - from + grown >= 0 &&
               QStringView(now).left(from) == QStringView(old).left(from) &&
               QStringView(now).right(old.size() - to) == QStringView(old).right(old.size() - to);
    };
    if (selectionBeforeChange) {
        const qsizetype from = selectionBeforeChange->location - regionStart;
        const qsizetype to = from + selectionBeforeChange->length;
        if ((to > from || grown > 0) && agrees(from, to)) return {from, old.size() - to};
        if (to == from && grown < 0 && view_) {
            const qsizetype caret = view_->textCursor().position() - regionStart;
            if (agrees(caret, caret - grown)) return {caret, old.size() - caret + grown};
        }
    }
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(now.size(), old.size());
    while (prefix < shorter && now[prefix] == old[prefix]) ++prefix;
    return {prefix, commonSuffix(now, old, shorter - prefix)};
}

// An edit whose range holds tables: the tables inside it go with its text (tracked, their
// rows are marked deleted); a range that starts or ends at a table's edge leaves that table.
// An opaque block (a content control, an equation) is never edited through this text. The
// view's own edit of a table character cannot show that, so the story is shown again.
void StoryBridge::applyAcross(const Pending& p, int a, int offsetA, int b, int offsetB,
                              const std::u16string& inserted, qsizetype replacedEnd) {
    auto end = [&](int index, int offset) -> std::optional<rovuvuz::SpanEnd> {
        const BlockSnapshot& block = entries_[size_t(index)].block;
        if (const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value))
            return rovuvuz::ParagraphPos{paragraph->id, size_t(offset)};
        if (const auto* table = std::get_if<rovuvuz::TableSnapshot>(&block.value))
            return rovuvuz::TableEdge{table->id, offset > 0};
        return std::nullopt;
    };
    const auto from = end(a, offsetA);
    const auto to = end(b, offsetB);
    bool opaque = !from || !to;
    for (int i = a; i <= b; ++i)
        opaque = opaque || std::holds_alternative<rovuvuz::OpaqueBlock>(entries_[size_t(i)].block.value);
    if (opaque) {
        refuse();
        putBack(p.first, p.last, p.oldEnd + p.delta);
        return;
    }
    // What follows the range is the same text afterwards: the caret goes before it.
    const int following = int(storageLength()) - (p.oldStart + int(replacedEnd) + p.delta);
    if (host_) host_->willEdit(*this);
    const rovuvuz::EditMode editMode = host_ ? host_->editMode() : rovuvuz::EditMode::direct();
    std::optional<rovuvuz::SpanningEdit::TextEnd> typedEnd;
    try {
        typedEnd = doc_->replaceAcross(*from, *to, story_, inserted, editMode);
    } catch (const std::exception& error) {
        refuse(QString::fromUtf8(error.what()));
        reloadFromModel();
        return;
    }
    reloadStory(0);
    const int length = storageLength();
    int caret = std::clamp(length - following, 0, length);
    // Typed text goes where the engine put it, which may be past a table deleted before.
    if (typedEnd) {
        int start = 0;
        for (const Entry& entry : entries_) {
            const ParagraphSnapshot* paragraph = paragraphOf(entry);
            if (paragraph && paragraph->id == typedEnd->paragraph)
                caret = std::clamp(start + int(paragraph->text.size()) - int(typedEnd->following), start,
                                   start + int(paragraph->text.size()));
            start += lengthOf(entry) + 1;
        }
    }
    select(caret, caret);
    updateTypingAttributes();
    finishEdit();
}

void StoryBridge::refuse(const QString& reason) {
    if (host_)
        host_->refused(reason);
    else
        QApplication::beep();
}

void StoryBridge::finishEdit() {
    if (host_) host_->didEdit(*this);
    Q_EMIT edited();
}

bool StoryBridge::unreported(int a, int b, const std::vector<ParagraphID>& ids) const {
    for (int i = a; i <= b; ++i) {
        const ParagraphID id = paragraphOf(entries_[i])->id;
        if (std::find(ids.begin(), ids.end(), id) != ids.end()) continue;
        try {
            doc_->snapshot(id, story_);
            return true;
        } catch (const std::exception&) {
            // Joined away, as expected.
        }
    }
    return false;
}

void StoryBridge::relabelIfListed(int first, size_t count, const std::vector<Entry>& fresh) {
    bool relabelNeeded = std::any_of(fresh.begin(), fresh.end(), [](const Entry& entry) {
        const ParagraphSnapshot* paragraph = paragraphOf(entry);
        return paragraph && paragraph->format.numbering;
    });
    for (size_t i = size_t(first); !relabelNeeded && i < size_t(first) + count && i < entries_.size(); ++i) {
        const ParagraphSnapshot* paragraph = paragraphOf(entries_[i]);
        relabelNeeded = paragraph && paragraph->listLabel;
    }
    if (relabelNeeded) relabel();
}

// ---- Writing the view ----

void StoryBridge::replaceRegion(int first, int last, std::vector<Entry> replacement, int currentEnd,
                                std::optional<int> caret, std::optional<int> knownStart) {
    const int start = knownStart ? *knownStart : starts()[size_t(first)];
    const QTextCursor before = view_->textCursor();
    applying_ = true;
    if (storageText(start, currentEnd) == joined(replacement, 0, replacement.size()))
        rewriteAttributes(start, replacement);
    else
        writeRegion(start, currentEnd, replacement);
    applying_ = false;
    if (size_t(last - first + 1) == replacement.size()) {
        // As many entries as before (a keystroke in one paragraph): no shifting of the rest.
        std::move(replacement.begin(), replacement.end(), entries_.begin() + first);
    } else {
        entries_.erase(entries_.begin() + first, entries_.begin() + last + 1);
        entries_.insert(entries_.begin() + first, std::make_move_iterator(replacement.begin()),
                        std::make_move_iterator(replacement.end()));
    }

    const int length = storageLength();
    if (caret) {
        select(std::min(*caret, length), std::min(*caret, length));
    } else if (std::max(before.anchor(), before.position()) <= length) {
        select(before.anchor(), before.position());
    }
    updateTypingAttributes();
}

void StoryBridge::putBack(int first, int last, int currentEnd) {
    std::vector<Entry> unchanged(entries_.begin() + first, entries_.begin() + last + 1);
    replaceRegion(first, last, std::move(unchanged), currentEnd, std::nullopt);
}

void StoryBridge::writeRegion(int start, int end, const std::vector<Entry>& replacement) {
    QTextCursor cursor(view_->document());
    cursor.beginEditBlock();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    std::vector<BlockSnapshot> blocks;
    blocks.reserve(replacement.size());
    for (const Entry& entry : replacement) blocks.push_back(entry.block);
    StoryText::insert(cursor, blocks, builder_);
    cursor.endEditBlock();
}

// Sets only the formats that differ, so that a keystroke whose rebuilt paragraph matches
// what the view shows leaves the layout, the caret and the input method alone.
void StoryBridge::rewriteAttributes(int start, const std::vector<Entry>& replacement) {
    QTextDocument* text = view_->document();
    QTextCursor cursor(text);
    cursor.beginEditBlock();
    int at = start;
    for (const Entry& entry : replacement) {
        const ParagraphSnapshot* paragraph = paragraphOf(entry);
        const int length = lengthOf(entry);
        if (paragraph) {
            QTextBlock block = text->findBlock(at);
            StyledText styled;
            SeparatorFormat separator;
            try {
                styled = builder_.paragraph(*paragraph);
                separator = builder_.separatorAttributes(*paragraph);
            } catch (const std::exception&) {
                at += length + 1;
                continue;
            }
            cursor.setPosition(at);
            if (block.blockFormat() != separator.block) cursor.setBlockFormat(separator.block);
            if (block.charFormat() != separator.character) cursor.setBlockCharFormat(separator.character);
            for (const StyledText::Run& run : styled.runs) {
                const int runStart = at + run.start;
                const int runEnd = runStart + run.length;
                bool same = true;
                for (auto it = block.begin(); same && !it.atEnd(); ++it) {
                    const QTextFragment fragment = it.fragment();
                    const int fragmentEnd = fragment.position() + fragment.length();
                    if (fragmentEnd <= runStart || fragment.position() >= runEnd) continue;
                    same = fragment.charFormat() == run.format;
                }
                if (same) continue;
                cursor.setPosition(runStart);
                cursor.setPosition(runEnd, QTextCursor::KeepAnchor);
                cursor.setCharFormat(run.format);
            }
        }
        at += length + 1;
    }
    cursor.endEditBlock();
}

void StoryBridge::replaceEntry(size_t index, Entry entry, int start) {
    const int end = start + lengthOf(entries_[index]);
    replaceRegion(int(index), int(index), {std::move(entry)}, end, std::nullopt, start);
}

// ---- Loading ----

void StoryBridge::load(std::vector<BlockSnapshot> blocks) {
    entries_.clear();
    editedTables_.clear();
    entries_.reserve(blocks.size());
    for (BlockSnapshot& block : blocks) entries_.push_back(Entry{std::move(block)});
    const int caret = view_->textCursor().position();
    applying_ = true;
    StoryText::fill(
        *view_->document(), entries_.size(), [this](size_t i) -> const BlockSnapshot& { return entries_[i].block; },
        builder_);
    view_->document()->setUndoRedoEnabled(false);
    applying_ = false;
    pending_.reset();
    const int at = std::min(caret, storageLength());
    select(at, at);
    updateTypingAttributes();
}

void StoryBridge::reloadFromModel(std::optional<std::vector<BlockSnapshot>> blocks) {
    if (blocks) {
        load(std::move(*blocks));
        return;
    }
    std::vector<BlockSnapshot> fresh;
    fresh.reserve(entries_.size());
    for (const Entry& entry : entries_) {
        const ParagraphSnapshot* paragraph = paragraphOf(entry);
        if (const auto* table = std::get_if<rovuvuz::TableSnapshot>(&entry.block.value)) {
            // Its cells may have been edited since the entry was made.
            try {
                fresh.push_back(BlockSnapshot{doc_->snapshot(table->id, story_)});
            } catch (const std::exception&) {
                fresh.push_back(entry.block);
            }
            continue;
        }
        if (!paragraph) {
            fresh.push_back(entry.block);
            continue;
        }
        try {
            fresh.push_back(BlockSnapshot{doc_->snapshot(paragraph->id, story_)});
        } catch (const std::exception&) {
            fresh.push_back(entry.block);
        }
    }
    load(std::move(fresh));
    relabel();
}

std::optional<std::vector<BlockSnapshot>> StoryBridge::storyBlocks() const {
    try {
        if (freshBlocks) return freshBlocks();
        return doc_->snapshot(story_).blocks;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void StoryBridge::reloadStory(int caret) {
    std::optional<std::vector<BlockSnapshot>> blocks = storyBlocks();
    if (!blocks) {
        reloadFromModel();
        return;
    }
    load(std::move(*blocks));
    const int at = std::min(caret, storageLength());
    select(at, at);
    updateTypingAttributes();
}

void StoryBridge::refresh(const std::set<ParagraphID>& ids) {
    if (ids.empty()) return;
    // Entry starts are counted along the way: finding each one afresh would make
    // redrawing many paragraphs of a long story quadratic.
    int start = 0;
    for (size_t i = 0; i < entries_.size(); start += lengthOf(entries_[i]) + 1, ++i) {
        const ParagraphSnapshot* old = paragraphOf(entries_[i]);
        if (!old || !ids.count(old->id)) continue;
        ParagraphSnapshot fresh;
        try {
            fresh = doc_->snapshot(old->id, story_);
        } catch (const std::exception&) {
            continue;
        }
        if (old->listLabel) fresh.listLabel = old->listLabel;
        replaceEntry(i, Entry{BlockSnapshot{std::move(fresh)}}, start);
    }
}

bool StoryBridge::replaceParagraphs(ParagraphID first, ParagraphID last, const std::vector<ParagraphID>& now) {
    // Starts counted along the way, as in refresh().
    std::optional<size_t> from;
    int fromStart = 0;
    int start = 0;
    for (size_t i = 0; i < entries_.size(); start += lengthOf(entries_[i]) + 1, ++i) {
        const ParagraphSnapshot* paragraph = paragraphOf(entries_[i]);
        if (!from) {
            if (!paragraph || paragraph->id != first) continue;
            from = i;
            fromStart = start;
        } else if (!paragraph) {
            return false;
        }
        if (paragraph->id == last) {
            replaceShown(*from, i, fromStart, start + lengthOf(entries_[i]), now);
            return true;
        }
    }
    return false;
}

void StoryBridge::replaceShown(size_t first, size_t last, int start, int end, const std::vector<ParagraphID>& now) {
    const bool labelled = std::any_of(entries_.begin() + long(first), entries_.begin() + long(last) + 1,
                                      [](const Entry& entry) { return paragraphOf(entry)->listLabel.has_value(); });
    if (now.size() > wholeStoryEdit && now.size() > entries_.size() - (last - first + 1)) {
        // More new paragraphs than the story had: the story is shown anew from one snapshot
        // of it, which reads the part's relationships, styles and numbering once where a
        // snapshot per paragraph reads them for each, and carries the list labels. Qt lays a
        // wholly new text out bit by bit as it is shown, but an inserted stretch all at once.
        if (std::optional<std::vector<BlockSnapshot>> blocks = storyBlocks()) {
            load(std::move(*blocks));
            if (customLabels) relabel();
            return;
        }
    }
    std::vector<Entry> fresh;
    fresh.reserve(now.size());
    for (const ParagraphID& id : now) {
        try {
            fresh.push_back(Entry{BlockSnapshot{doc_->snapshot(id, story_)}});
        } catch (const std::exception&) {
            // Joined away by the edit: left out, as after typing.
        }
    }
    const bool listed = labelled || std::any_of(fresh.begin(), fresh.end(), [](const Entry& entry) {
                            return paragraphOf(entry)->format.numbering.has_value();
                        });
    if (fresh.size() > wholeStoryEdit && fresh.size() > entries_.size() - (last - first + 1)) {
        // As above, when the story cannot be snapshotted whole.
        std::vector<BlockSnapshot> blocks;
        blocks.reserve(entries_.size() - (last - first + 1) + fresh.size());
        for (size_t i = 0; i < first; ++i) blocks.push_back(std::move(entries_[i].block));
        for (Entry& entry : fresh) blocks.push_back(std::move(entry.block));
        for (size_t i = last + 1; i < entries_.size(); ++i) blocks.push_back(std::move(entries_[i].block));
        load(std::move(blocks));
    } else {
        replaceRegion(int(first), int(last), std::move(fresh), end, std::nullopt, start);
    }
    if (listed) relabel();
}

void StoryBridge::relabel() {
    std::map<ParagraphID, std::string> labels;
    if (customLabels) {
        labels = customLabels();
    } else {
        try {
            labels = doc_->listLabels(story_);
        } catch (const std::exception&) {
            return;
        }
    }
    // Starts counted along the way, as in refresh().
    int start = 0;
    for (size_t i = 0; i < entries_.size(); start += lengthOf(entries_[i]) + 1, ++i) {
        const ParagraphSnapshot* paragraph = paragraphOf(entries_[i]);
        if (!paragraph) continue;
        auto found = labels.find(paragraph->id);
        const std::optional<std::string> label =
            found == labels.end() ? std::nullopt : std::optional<std::string>(found->second);
        if (label == paragraph->listLabel) continue;
        replaceEntry(i, Entry{BlockSnapshot{paragraph->withListLabel(label)}}, start);
    }
}

void StoryBridge::tableEdited(rovuvuz::BlockID table) {
    if (std::find(editedTables_.begin(), editedTables_.end(), table) == editedTables_.end())
        editedTables_.push_back(table);
}

void StoryBridge::renewTables() {
    if (editedTables_.empty()) return;
    const std::vector<rovuvuz::BlockID> edited = std::exchange(editedTables_, {});
    for (Entry& entry : entries_) {
        const auto* table = std::get_if<rovuvuz::TableSnapshot>(&entry.block.value);
        if (!table || !holdsAny(*table, edited)) continue;
        try {
            entry = Entry{BlockSnapshot{doc_->snapshot(table->id, story_)}};
        } catch (const std::exception&) {
            // Kept as it was until the next reload.
        }
    }
}

// ---- Queries ----

std::vector<std::pair<ParagraphID, rovuvuz::TextRange>> StoryBridge::paragraphRanges(int location,
                                                                                     int length) const {
    std::vector<std::pair<ParagraphID, rovuvuz::TextRange>> out;
    const std::vector<int> at = starts();
    for (size_t i = 0; i < entries_.size(); ++i) {
        const ParagraphSnapshot* paragraph = paragraphOf(entries_[i]);
        if (!paragraph) continue;
        const int s = at[i];
        const int e = s + int(paragraph->text.size());
        const int lo = std::max(location, s);
        const int hi = std::min(e, location + length);
        if (lo < hi || (length == 0 && s <= location && location <= e))
            out.push_back({paragraph->id, {size_t(lo - s), size_t(std::max(hi, lo) - s)}});
    }
    return out;
}

void StoryBridge::updateTypingAttributes() {
    const int length = storageLength();
    if (length == 0 || !view_) return;
    const QTextCursor cursor = view_->textCursor();
    // With a selection Qt would apply the format to the selected text.
    if (cursor.hasSelection()) return;
    const int at = std::max(std::min(cursor.position(), length) - 1, 0);
    const QTextBlock block = view_->document()->findBlock(at);
    QTextCharFormat format = block.charFormat();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.position() <= at && at < fragment.position() + fragment.length()) {
            format = fragment.charFormat();
            break;
        }
    }
    view_->setCurrentCharFormat(typingFormat(format));
}

// ---- The view ----

int StoryBridge::storageLength() const {
    return view_ ? view_->document()->characterCount() - 1 : 0;
}

QString StoryBridge::storageText(int start, int end) const {
    QString out;
    if (!view_ || end <= start) return out;
    for (QTextBlock block = view_->document()->findBlock(start); block.isValid(); block = block.next()) {
        const int position = block.position();
        if (position > end) break;
        const QString text = block.text();
        const int from = std::max(start, position) - position;
        const int to = std::min(end, position + int(text.size())) - position;
        if (to > from) out += QStringView(text).mid(from, to - from);
        const int separator = position + int(text.size());
        if (separator >= end) break;
        if (separator >= start) out += QLatin1Char('\n');
    }
    return out;
}

bool StoryBridge::hasMarkedText() const {
    const QTextBlock block = view_->textCursor().block();
    return block.isValid() && block.layout() && !block.layout()->preeditAreaText().isEmpty();
}

StoryBridge::Selection StoryBridge::selection() const {
    const QTextCursor cursor = view_->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

void StoryBridge::select(int anchor, int position) {
    QTextCursor cursor = view_->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    view_->setTextCursor(cursor);
}

}  // namespace tovin
