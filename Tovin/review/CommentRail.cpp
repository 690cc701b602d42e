#include "Tovin/review/CommentRail.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <utility>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

constexpr int cardX = 20;      // from the rule to the cards
constexpr int cardInset = 32;  // rail width minus card width
constexpr int cardGap = 12;    // between stacked cards
constexpr int tickLength = 12;
constexpr int tickDrop = 7;  // from the top of the anchor line down to its tick

// The index of the card in `old` [from, to) with the same content, searched from `hint` on
// since old and new cards come in the same order.
template <typename Model>
std::optional<size_t> sameContent(const Model& model, const std::vector<RailCard*>& old, size_t from,
                                  size_t to, size_t& hint) {
    const size_t count = to - from;
    for (size_t tried = 0; tried < count; ++tried) {
        const size_t i = from + (hint + tried) % count;
        if (old[i] && old[i]->sameContent(model)) {
            hint = i - from + 1;
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

CommentRail::CommentRail(RailSource* source, QWidget* parent)
    : QWidget(parent), source_(source), alive_(source ? source->sourceObject() : nullptr) {
    setObjectName(QStringLiteral("CommentRail"));
    hide();
    // Until the next reload the cards' anchors are those of the text before this change.
    if (source)
        connect(source->body()->document(), &QTextDocument::contentsChange, this,
                [this] { lines_.textChanged = true; });
}

void CommentRail::reload() {
    RailSource* from = source();
    StoryBridge* body = from ? from->bodyBridge() : nullptr;
    RailModel model;
    if (body) body->renewTables();  // tables whose cells were typed in
    if (body)
        model = reader_.read(body->entries(), from->doc());
    else
        model.comments.emplace();
    if (body && !model.comments && model.anchors.size() != commentCount_) {
        // The cards were not made from the threads the reader holds: read them again.
        reader_.commentsChanged();
        model = reader_.read(body->entries(), from->doc());
    }
    Previous old{std::exchange(cards_, {}), std::exchange(slots_, {}), std::exchange(keys_, {}),
                 commentCount_};
    cards_.reserve(model.anchors.size() + model.changes.size());
    slots_.reserve(cards_.capacity());
    takeCommentCards(model, old);
    takeChangeCards(model, old);
    // Cards left over are gone; one may be running the action that removed it.
    for (RailCard* card : old.cards) {
        if (!card) continue;
        card->hide();
        card->deleteLater();
    }
    commentCount_ = model.anchors.size();
    anchors_ = std::move(model.anchors);
    for (const RailModel::Change& change : model.changes) anchors_.push_back(change.location);
    placements_.assign(cards_.size(), {});
    lines_.region = Region{model.changedFrom, model.changedTo, model.shift};
    lines_.textChanged = false;
    needsLayout_ = true;
    Q_EMIT layoutNeeded();
}

// The same threads as before keep their cards in order; new threads keep the cards whose
// content is unchanged. What is reused is taken out of `old`.
void CommentRail::takeCommentCards(const RailModel& model, Previous& old) {
    auto take = [&](size_t i) {
        cards_.push_back(std::exchange(old.cards[i], nullptr));
        slots_.push_back(old.slots[i]);
    };
    if (!model.comments) {
        for (size_t i = 0; i < old.commentCount; ++i) take(i);
        return;
    }
    size_t hint = 0;
    for (const CommentCardModel& comment : *model.comments) {
        if (const auto i = sameContent(comment, old.cards, 0, old.commentCount, hint)) {
            take(*i);
        } else {
            cards_.push_back(new RailCard(comment, this));
            slots_.emplace_back();
        }
    }
}

// A change read from the same entry snapshot as before keeps its card, found by walking the
// old cards alongside (a keystroke changes one entry); the others keep a card of the same
// content when there is one (after an undo every entry is new) or get a new one.
void CommentRail::takeChangeCards(const RailModel& model, Previous& old) {
    const size_t first = cards_.size();
    const size_t oldFirst = old.commentCount;
    cards_.resize(first + model.changes.size(), nullptr);
    slots_.resize(cards_.size());
    auto take = [&](size_t k, size_t i) {
        cards_[first + k] = std::exchange(old.cards[i], nullptr);
        slots_[first + k] = old.slots[i];
    };
    size_t next = 0;
    for (size_t k = 0; k < model.changes.size(); ++k) {
        const ChangeKey& key = model.changes[k].key;
        while (next < old.keys.size() && old.keys[next] != key && !reader_.isCurrent(old.keys[next].stamp))
            ++next;
        if (next < old.keys.size() && old.keys[next] == key) take(k, oldFirst + next++);
    }
    size_t hint = 0;
    for (size_t k = 0; k < model.changes.size(); ++k) {
        keys_.push_back(model.changes[k].key);
        if (cards_[first + k]) continue;
        const ChangeCardModel& change = *model.changes[k].model;
        if (const auto i = sameContent(change, old.cards, oldFirst, old.cards.size(), hint)) {
            take(k, *i);
        } else {
            ChangeCardModel placed = change;
            placed.location = model.changes[k].location;
            cards_[first + k] = new RailCard(placed, this);
        }
    }
}

void CommentRail::place(const QRect& frame, bool bodyLaidOut) {
    const bool shown = !frame.isEmpty();
    if (frame.size() != size()) lines_.known = false;  // a new width wraps the lines anew
    if (frame.size() != size() || bodyLaidOut) needsLayout_ = true;
    setGeometry(frame);
    setVisible(shown);
    if (!shown) return;
    if (needsLayout_)
        layoutCards();
    else
        showVisible();
}

void CommentRail::layoutCards() {
    QTextEdit* body = source() ? source()->body() : nullptr;
    if (!body || isHidden()) return;
    needsLayout_ = false;
    const std::vector<std::pair<qreal, size_t>> order = cardsByLine(*body->document());
    const int cardWidth = width() - cardInset;
    if (std::exchange(measuredWidth_, cardWidth) != cardWidth)
        for (Slot& slot : slots_) slot.height = -1;
    int cursor = 0;
    placements_.assign(cards_.size(), {});
    for (const auto& [y, i] : order) {
        int& height = slots_[i].height;
        if (height < 0) height = cards_[i]->heightFor(cardWidth);
        const int top = std::max(int(std::round(y)), cursor);
        placements_[i] = {top, height, y - top};
        cursor = top + height + cardGap;
    }
    shownFrom_ = 0;
    shownTo_ = -1;
    showVisible();
    update();
}

// Every card with the top of the line holding its anchor, in the text's own coordinates
// (which are the rail's: the rail spans the text from its top; 0 past the end of the text),
// ordered by that top and, on one line, as in `cards`. The blocks are walked once in
// anchor order rather than looked up card by card, and lines go down as offsets go up,
// so only cards sharing a line need sorting afterwards.
std::vector<std::pair<qreal, size_t>> CommentRail::cardsByLine(const QTextDocument& text) {
    std::vector<std::pair<int, size_t>> anchors;
    anchors.reserve(cards_.size());
    for (size_t i = 0; i < anchors_.size(); ++i) anchors.emplace_back(anchors_[i], i);
    // Comment cards, then change cards: each run is usually in text order already.
    const auto changes = anchors.begin() + ptrdiff_t(commentCount_);
    for (auto [from, to] : {std::pair(anchors.begin(), changes), std::pair(changes, anchors.end())})
        if (!std::is_sorted(from, to)) std::sort(from, to);
    std::inplace_merge(anchors.begin(), changes, anchors.end());

    // After a reload that changed one stretch of the text, the lines before it stay where
    // they were and those after it move by the change in the text's height.
    const qreal height = text.documentLayout()->documentSize().height();
    const bool incremental = lines_.known && lines_.region.has_value();
    const Region region = lines_.region.value_or(Region{});
    const qreal moved = height - lines_.height;
    std::vector<std::pair<qreal, size_t>> order;
    order.reserve(anchors.size());
    QTextBlock block = text.begin();
    int start = 0;  // of `block`; positions are counted here since asking a block is not free
    int end = block.isValid() ? block.length() : 0;
    for (const auto& [anchor, i] : anchors) {
        Slot& slot = slots_[i];
        if (incremental && anchor < region.from && slot.laidAnchor == anchor) {
            order.emplace_back(slot.lineTop, i);
            continue;
        }
        if (incremental && anchor >= region.to && slot.laidAnchor >= 0 &&
            slot.laidAnchor + region.shift == anchor) {
            slot.lineTop += moved;
            slot.laidAnchor = anchor;
            order.emplace_back(slot.lineTop, i);
            continue;
        }
        if (incremental) {
            // Few cards need a line: look their blocks up rather than walk to them.
            block = text.findBlock(anchor);
            start = block.isValid() ? block.position() : 0;
        } else {
            while (block.isValid() && end <= anchor) {
                block = block.next();
                start = end;
                end += block.isValid() ? block.length() : 0;
            }
        }
        qreal top = 0;
        const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
        // Qt lays a long text out in steps after a change; asking for a block's rectangle
        // lays the text out up to it.
        if (layout && layout->lineCount() == 0) text.documentLayout()->blockBoundingRect(block);
        if (layout && layout->lineCount() > 0) {
            QTextLine line = layout->lineAt(0);
            if (layout->lineCount() > 1) {
                const QTextLine holding = layout->lineForTextPosition(std::max(anchor - start, 0));
                if (holding.isValid()) line = holding;
            }
            top = layout->position().y() + line.y();
        }
        slot.laidAnchor = anchor;
        slot.lineTop = top;
        order.emplace_back(top, i);
    }
    // The lines are known for the cards' anchors unless the text changed since they were read.
    lines_ = {!lines_.textChanged, false, std::nullopt, height};
    // Past the text everything is at 0, above all the rest.
    auto byTop = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(order.begin(), order.end(), byTop))
        std::stable_sort(order.begin(), order.end(), byTop);
    for (auto run = order.begin(); run != order.end();) {
        const auto next =
            std::find_if(run, order.end(), [&](const auto& o) { return o.first != run->first; });
        std::sort(run, next);
        run = next;
    }
    return order;
}

// Shows the cards within a screen of the visible part of the rail and hides the others.
void CommentRail::showVisible() {
    const QWidget* view = parentWidget();
    const int screen = view ? view->height() : 1000;
    const int from = -y() - screen;
    const int to = -y() + 2 * screen;
    // Scrolling within the band already shown needs nothing.
    if (from >= shownFrom_ - screen / 2 && to <= shownTo_ + screen / 2 && shownTo_ >= shownFrom_) return;
    shownFrom_ = from;
    shownTo_ = to;
    const int cardWidth = width() - cardInset;
    std::vector<QPointer<RailCard>> shown;
    for (size_t i = 0; i < cards_.size(); ++i) {
        const Placement& at = placements_[i];
        if (at.top + at.height < from || at.top > to) continue;
        RailCard* card = cards_[i];
        card->setGeometry(cardX, at.top, cardWidth, at.height);
        if (card->isHidden()) card->show();
        shown.emplace_back(card);
    }
    // Cards start hidden, so only those shown before can be visible among the others.
    for (const QPointer<RailCard>& card : shown_)
        if (card && !card->isHidden() && std::find(shown.begin(), shown.end(), card) == shown.end())
            card->hide();
    shown_ = std::move(shown);
}

CommentRail::Placement CommentRail::placement(const RailCard* card) const {
    const auto found = std::find(cards_.begin(), cards_.end(), card);
    if (found == cards_.end()) return {};
    return placements_[size_t(found - cards_.begin())];
}

int CommentRail::anchorOf(const RailCard* card) const {
    const auto found = std::find(cards_.begin(), cards_.end(), card);
    return found == cards_.end() ? -1 : anchors_[size_t(found - cards_.begin())];
}

void CommentRail::cardResized(const RailCard* card) {
    const auto found = std::find(cards_.begin(), cards_.end(), card);
    if (found != cards_.end()) slots_[size_t(found - cards_.begin())].height = -1;
    layoutCards();
}

void CommentRail::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QColor rule = Theme::hairline.resolve(palette());
    painter.fillRect(QRect(0, event->rect().top(), 1, event->rect().height()), rule);
    for (const Placement& at : placements_) {
        const qreal y = at.top + at.tickOffset + tickDrop;
        if (y < event->rect().top() - 1 || y > event->rect().bottom() + 1) continue;
        painter.fillRect(QRectF(0, y, tickLength, 1), rule);
    }
}

bool CommentRail::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            QWidget::event(event);
            event->accept();
            return true;
        default:
            return QWidget::event(event);
    }
}

void CommentRail::select(size_t card) {
    if (!source()) return;
    QTextEdit* body = source()->body();
    QTextCursor cursor = body->textCursor();
    const int end = body->document()->characterCount() - 1;
    const int anchor = anchors_[card];
    cursor.setPosition(std::clamp(anchor, 0, end));
    if (const auto* change = std::get_if<ChangeCardModel>(&cards_[card]->model()))
        cursor.setPosition(std::clamp(anchor + change->length, 0, end), QTextCursor::KeepAnchor);
    body->setTextCursor(cursor);
    body->setFocus();
    body->ensureCursorVisible();
}

std::vector<rovuvuz::RevisionID> CommentRail::revisionsWith(rovuvuz::RevisionID revision) const {
    for (size_t i = commentCount_; i < cards_.size(); ++i) {
        const auto* change = std::get_if<ChangeCardModel>(&cards_[i]->model());
        if (!change) continue;
        std::vector<rovuvuz::RevisionID> all = change->revisions();
        if (std::find(all.begin(), all.end(), revision) != all.end()) return all;
    }
    return {revision};
}

void CommentRail::act(const RailCard::Action& action, RailCard* card) {
    if (std::holds_alternative<RailCard::Select>(action)) {
        const auto found = std::find(cards_.begin(), cards_.end(), card);
        if (found != cards_.end()) select(size_t(found - cards_.begin()));
        return;
    }
    if (const auto* change = std::get_if<ChangeCardModel>(&card->model())) {
        if (std::holds_alternative<RailCard::Accept>(action) ||
            std::holds_alternative<RailCard::Reject>(action))
            Q_EMIT resolveChangeRequested(change->revisions(), std::holds_alternative<RailCard::Accept>(action));
        return;
    }
    const auto* comment = std::get_if<CommentCardModel>(&card->model());
    if (!comment) return;
    const rovuvuz::CommentID id{comment->comment.id};
    if (std::holds_alternative<RailCard::Resolve>(action))
        Q_EMIT resolveThreadRequested(id, !comment->done);
    else if (const auto* reply = std::get_if<RailCard::Reply>(&action))
        Q_EMIT replyRequested(id, reply->text);
    else if (const auto* remove = std::get_if<RailCard::Delete>(&action))
        Q_EMIT deleteCommentRequested(remove->reply ? rovuvuz::CommentID{*remove->reply} : id);
    else if (const auto* edit = std::get_if<RailCard::Edit>(&action))
        Q_EMIT editCommentRequested(edit->reply ? rovuvuz::CommentID{*edit->reply} : id, edit->text);
}

}  // namespace tovin
