#include "Tovin/review/CommentRail.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <utility>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/editor/EditorActions.h"
#include "Tovin/editor/EditorUndo.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/Theme.h"

namespace tovin {

namespace {

constexpr int cardX = 20;      // from the rule to the cards
constexpr int cardInset = 32;  // rail width minus card width
constexpr int cardGap = 12;    // between stacked cards
constexpr int tickLength = 12;
constexpr int tickDrop = 7;  // from the top of the anchor line down to its tick

// Cards of one kind, reusing the old card whose content matches and making the others.
template <typename Model>
std::vector<RailCard*> matchCards(const std::vector<Model>& models, std::vector<RailCard*>& old,
                                  CommentRail* rail) {
    std::vector<RailCard*> cards;
    cards.reserve(models.size());
    size_t hint = 0;  // old cards come in the same order, so the next match is usually next
    for (const Model& model : models) {
        RailCard* reused = nullptr;
        for (size_t tried = 0; tried < old.size() && !reused; ++tried) {
            const size_t i = (hint + tried) % old.size();
            if (old[i] && old[i]->sameContent(model)) {
                reused = old[i];
                old[i] = nullptr;
                hint = i + 1;
            }
        }
        if (reused)
            reused->moveTo(model);
        else
            reused = new RailCard(model, rail);
        cards.push_back(reused);
    }
    return cards;
}

}  // namespace

CommentRail::CommentRail(EditorViewController* editor, QWidget* parent) : QWidget(parent), editor_(editor) {
    setObjectName(QStringLiteral("CommentRail"));
    hide();
}

void CommentRail::reload() {
    StoryBridge* body = editor_ ? editor_->bodyBridge() : nullptr;
    RailModel model;
    if (body)
        model = reader_.read(body->entries(), editor_->doc());
    else
        model.comments.emplace();
    std::vector<RailCard*> oldComments, oldChanges;
    for (RailCard* card : cards_) (card->isComment() ? oldComments : oldChanges).push_back(card);
    if (!model.comments && model.anchors.size() != oldComments.size()) {
        // The cards were not made from the threads the reader holds: read them again.
        reader_.commentsChanged();
        model = reader_.read(body->entries(), editor_->doc());
    }
    std::vector<RailCard*> cards;
    if (model.comments) {
        cards = matchCards(*model.comments, oldComments, this);
    } else {
        // The same threads: the cards only move with their anchors.
        cards = std::exchange(oldComments, {});
        for (size_t i = 0; i < cards.size(); ++i) cards[i]->setAnchor(model.anchors[i]);
    }
    for (RailCard* card : matchCards(model.changes, oldChanges, this)) cards.push_back(card);
    // Cards left over are gone; one may be running the action that removed it.
    for (auto* old : {&oldComments, &oldChanges}) {
        for (RailCard* card : *old) {
            if (!card) continue;
            card->hide();
            card->deleteLater();
        }
    }
    cards_ = std::move(cards);
    placements_.assign(cards_.size(), {});
    needsLayout_ = true;
    if (editor_) editor_->layoutBands();
}

void CommentRail::place(const QRect& frame, bool bodyLaidOut) {
    const bool shown = !frame.isEmpty();
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
    auto* body = editor_ ? qobject_cast<ColumnTextView*>(editor_->body()) : nullptr;
    if (!body || isHidden()) return;
    needsLayout_ = false;
    // Anchor lines in rail coordinates: the rail spans the text from its top.
    const qreal scrolled = -y();
    std::vector<std::pair<qreal, size_t>> order;
    order.reserve(cards_.size());
    for (size_t i = 0; i < cards_.size(); ++i) {
        const QRectF line = body->lineRect(cards_[i]->anchor());
        order.emplace_back(line.isNull() ? 0 : line.top() + scrolled, i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const int cardWidth = width() - cardInset;
    int cursor = 0;
    placements_.assign(cards_.size(), {});
    for (const auto& [y, i] : order) {
        const int height = cards_[i]->heightAt(cardWidth);
        const int top = std::max(int(std::round(y)), cursor);
        placements_[i] = {top, height, y - top};
        cards_[i]->tickOffset = y - top;
        cursor = top + height + cardGap;
    }
    shownFrom_ = 0;
    shownTo_ = -1;
    showVisible();
    update();
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
    for (size_t i = 0; i < cards_.size(); ++i) {
        RailCard* card = cards_[i];
        const Placement& at = placements_[i];
        const bool near = at.top + at.height >= from && at.top <= to;
        if (near) {
            card->setGeometry(cardX, at.top, cardWidth, at.height);
            if (card->isHidden()) card->show();
        } else if (!card->isHidden()) {
            card->hide();
        }
    }
}

CommentRail::Placement CommentRail::placement(const RailCard* card) const {
    const auto found = std::find(cards_.begin(), cards_.end(), card);
    if (found == cards_.end()) return {};
    return placements_[size_t(found - cards_.begin())];
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

void CommentRail::select(RailCard* card) {
    if (!editor_) return;
    QTextEdit* body = editor_->body();
    QTextCursor cursor = body->textCursor();
    const int end = body->document()->characterCount() - 1;
    if (const auto* change = std::get_if<ChangeCardModel>(&card->model())) {
        cursor.setPosition(std::clamp(change->location, 0, end));
        cursor.setPosition(std::clamp(change->location + change->length, 0, end), QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(std::clamp(card->anchor(), 0, end));
    }
    body->setTextCursor(cursor);
    body->setFocus();
    body->ensureCursorVisible();
}

void CommentRail::act(const RailCard::Action& action, RailCard* card) {
    QPointer<EditorViewController> editor = editor_;
    if (!editor || !editor->doc()) return;
    rovuvuz::DocxDocument& doc = *editor->doc();
    if (std::holds_alternative<RailCard::Select>(action)) return select(card);
    if (const auto* change = std::get_if<ChangeCardModel>(&card->model())) {
        if (!std::holds_alternative<RailCard::Accept>(action) &&
            !std::holds_alternative<RailCard::Reject>(action))
            return;
        return EditorActions::resolveRevision(*editor, change->revision.id,
                                              std::holds_alternative<RailCard::Accept>(action));
    }
    const auto* comment = std::get_if<CommentCardModel>(&card->model());
    if (!comment) return;
    const rovuvuz::CommentID id{comment->comment.id};
    if (std::holds_alternative<RailCard::Resolve>(action)) {
        editor->undo().registerUndo(/*typing=*/false);
        reader_.commentsChanged();
        try {
            doc.setResolved(id, !comment->done);
        } catch (const std::exception&) {
            return EditorActions::beep();
        }
        editor->modelChanged();
        reload();
    } else if (const auto* reply = std::get_if<RailCard::Reply>(&action)) {
        editor->undo().registerUndo(/*typing=*/false);
        try {
            doc.reply(id, reply->text.toStdU16String(), TovinDocument::authorName().toStdString(),
                      std::chrono::system_clock::now());
        } catch (const std::exception&) {
            return EditorActions::beep();
        }
        editor->modelChanged();
        editor->reloadAll();
    }
}

}  // namespace tovin
