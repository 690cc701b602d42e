#include "Tovin/review/CommentHighlights.h"

#include <QEvent>
#include <QPalette>
#include <QTextCharFormat>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <map>

#include "Tovin/review/CommentRail.h"
#include "Tovin/review/RailCard.h"
#include "Tovin/review/RailSource.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {
// A marker's amber, lighter on a dark window.
const ThemeColor tint{QColor(232, 176, 0), QColor(240, 196, 64)};
}  // namespace

CommentHighlights::CommentHighlights(CommentRail& rail, RailSource& source)
    : QObject(&rail), rail_(rail), source_(source) {
    // The rail reloads after every settled burst of edits and when the body is shown anew.
    connect(&rail_, &CommentRail::layoutNeeded, this, &CommentHighlights::refresh);
    if (QTextEdit* body = source_.body())
        connect(body, &QTextEdit::cursorPositionChanged, this, &CommentHighlights::caretMoved);
    // A refresh that meets an edit not yet sent to the engine tries again shortly: the edit
    // may change nothing the engine holds (a relayout of the text just opened), and then no
    // reload follows it.
    retry_.setSingleShot(true);
    retry_.setInterval(100);
    connect(&retry_, &QTimer::timeout, this, &CommentHighlights::refresh);
    // A document read before the rail was made has had its first reload already.
    retry_.start();
}

std::vector<CommentHighlights::Range> CommentHighlights::rangesOf(
    const std::vector<StoryBridge::Entry>& body) {
    std::vector<Range> out;
    std::map<int64_t, int> open;  // comment → its start
    int start = 0;
    for (const StoryBridge::Entry& entry : body) {
        const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        if (!paragraph) {
            start += 2;  // a table or opaque block is one object character, then a separator
            continue;
        }
        for (const rovuvuz::CommentMark& mark : paragraph->commentMarks) {
            const int at = start + int(mark.offset);
            if (mark.isStart) {
                open.emplace(mark.id.rawValue, at);
            } else if (const auto found = open.find(mark.id.rawValue); found != open.end()) {
                if (at > found->second) out.push_back({found->first, found->second, at});
                open.erase(found);
            }
        }
        start += int(paragraph->text.size()) + 1;
    }
    return out;
}

std::set<int64_t> CommentHighlights::threadOf(const RailCard* card) {
    std::set<int64_t> comments;
    if (!card) return comments;
    if (const auto* thread = std::get_if<CommentCardModel>(&card->model())) {
        comments.insert(thread->comment.id);
        for (const rovuvuz::EntrySnapshot& reply : thread->replies) comments.insert(reply.id);
    }
    return comments;
}

std::set<int64_t> CommentHighlights::emphasised() const {
    std::set<int64_t> comments = threadOf(hovered_);
    comments.insert(selected_.begin(), selected_.end());
    return comments;
}

void CommentHighlights::refresh() {
    watchCards();
    const StoryBridge* bridge = source_.bodyBridge();
    // Typing not yet sent to the engine is in the view but not in the entries; the drawn
    // cursors have followed it, and the refresh after it is sent reads the entries again.
    if (bridge && bridge->pending()) {
        retry_.start();
        return;
    }
    std::vector<Range> ranges = bridge ? rangesOf(bridge->entries()) : std::vector<Range>{};
    // The drawn cursors follow typing, but a reload of the body's text collapses them: what
    // is drawn is compared, not what was read last.
    if (ranges == ranges_ && drawnAt() == ranges_) return;
    ranges_ = std::move(ranges);
    draw();
}

std::vector<CommentHighlights::Range> CommentHighlights::drawnAt() const {
    std::vector<Range> drawn;
    QTextEdit* body = source_.body();
    if (!body) return drawn;
    const QList<QTextEdit::ExtraSelection> selections = body->extraSelections();
    if (size_t(selections.size()) != ranges_.size()) return drawn;
    for (size_t i = 0; i < ranges_.size(); ++i) {
        const QTextCursor& cursor = selections[qsizetype(i)].cursor;
        drawn.push_back({ranges_[i].comment, cursor.selectionStart(), cursor.selectionEnd()});
    }
    return drawn;
}

void CommentHighlights::watchCards() {
    // A card kept from the last reload is already watched; installing again moves it to
    // the front of the card's filters, which is harmless.
    for (RailCard* card : rail_.cards())
        if (card->isComment()) card->installEventFilter(this);
}

QTextCharFormat CommentHighlights::shade(int64_t comment, const std::set<int64_t>& strong,
                                         const QPalette& palette) {
    QColor colour = tint.resolve(palette);
    colour.setAlphaF(float(strong.count(comment) ? strongAlpha : softAlpha));
    QTextCharFormat format;
    format.setBackground(colour);
    return format;
}

void CommentHighlights::draw() {
    QTextEdit* body = source_.body();
    if (!body) return;
    const std::set<int64_t> strong = emphasised();
    const int last = body->document()->characterCount() - 1;
    QList<QTextEdit::ExtraSelection> selections;
    selections.reserve(qsizetype(ranges_.size()));
    for (const Range& range : ranges_) {
        QTextEdit::ExtraSelection selection{QTextCursor(body->document()),
                                            shade(range.comment, strong, body->palette())};
        selection.cursor.setPosition(std::clamp(range.start, 0, last));
        selection.cursor.setPosition(std::clamp(range.end, 0, last), QTextCursor::KeepAnchor);
        selections << selection;
    }
    body->setExtraSelections(selections);
}

// The emphasis changed: the drawn ranges keep their cursors, which have followed any typing
// since they were read, and take their new shades.
void CommentHighlights::restyle() {
    QTextEdit* body = source_.body();
    if (!body) return;
    QList<QTextEdit::ExtraSelection> selections = body->extraSelections();
    if (size_t(selections.size()) != ranges_.size()) return draw();
    const std::set<int64_t> strong = emphasised();
    for (size_t i = 0; i < ranges_.size(); ++i)
        selections[qsizetype(i)].format = shade(ranges_[i].comment, strong, body->palette());
    body->setExtraSelections(selections);
}

bool CommentHighlights::eventFilter(QObject* watched, QEvent* event) {
    auto* card = qobject_cast<RailCard*>(watched);
    if (!card) return false;
    switch (event->type()) {
        case QEvent::Enter:
            hovered_ = card;
            restyle();
            break;
        case QEvent::Leave:
            if (hovered_ == card) hovered_ = nullptr;
            restyle();
            break;
        case QEvent::MouseButtonPress:
            // The click puts the caret at the comment's start, inside its text.
            selected_ = threadOf(card);
            restyle();
            break;
        default:
            break;
    }
    return false;
}

void CommentHighlights::caretMoved() {
    if (selected_.empty()) return;
    QTextEdit* body = source_.body();
    const int caret = body ? body->textCursor().position() : -1;
    for (const Range& range : drawnAt())
        if (selected_.count(range.comment) && caret >= range.start && caret <= range.end) return;
    selected_.clear();
    restyle();
}

}  // namespace tovin
