#include "Tovin/review/CommentRail.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

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

RailModel CommentRail::readModel() const {
    StoryBridge* body = editor_ ? editor_->bodyBridge() : nullptr;
    rovuvuz::DocxDocument* doc = editor_ ? editor_->doc() : nullptr;
    if (!body || !doc) return {};
    std::map<rovuvuz::CommentID, rovuvuz::CommentThreadInfo> threads;
    std::optional<std::vector<rovuvuz::EntrySnapshot>> comments;
    try {
        if (doc->part(rovuvuz::StoryID::comments())) {
            comments = doc->snapshot(rovuvuz::StoryID::comments()).entries;
            threads = doc->commentThreads();
        }
    } catch (const std::exception&) {
        // A comments part that does not read leaves the change cards.
        comments.reset();
    }
    return RailModel::build(body->entries(), threads, comments);
}

void CommentRail::reload() {
    const RailModel model = readModel();
    std::vector<RailCard*> oldComments, oldChanges;
    for (RailCard* card : cards_) (card->isComment() ? oldComments : oldChanges).push_back(card);
    std::vector<RailCard*> cards = matchCards(model.comments, oldComments, this);
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
    needsLayout_ = true;
    if (editor_) editor_->layoutBands();
}

void CommentRail::place(const QRect& frame, bool bodyLaidOut) {
    const bool shown = !frame.isEmpty();
    if (frame.size() != size() || bodyLaidOut) needsLayout_ = true;
    setGeometry(frame);
    setVisible(shown);
    if (shown && needsLayout_) layoutCards();
}

void CommentRail::layoutCards() {
    auto* body = editor_ ? qobject_cast<ColumnTextView*>(editor_->body()) : nullptr;
    if (!body || isHidden()) return;
    needsLayout_ = false;
    // Anchor lines in rail coordinates: the rail spans the text from its top.
    const qreal scrolled = -y();
    std::vector<std::pair<qreal, RailCard*>> placed;
    placed.reserve(cards_.size());
    for (RailCard* card : cards_) {
        const QRectF line = body->lineRect(card->anchor());
        placed.emplace_back(line.isNull() ? 0 : line.top() + scrolled, card);
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const int cardWidth = width() - cardInset;
    qreal cursor = 0;
    for (const auto& [y, card] : placed) {
        const int height = card->heightAt(cardWidth);
        const qreal top = std::max(y, cursor);
        card->setGeometry(cardX, int(std::round(top)), cardWidth, height);
        card->tickOffset = y - std::round(top);
        if (card->isHidden()) card->show();
        cursor = std::round(top) + height + cardGap;
    }
    update();
}

void CommentRail::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QColor rule = Theme::hairline.resolve(palette());
    painter.fillRect(QRect(0, event->rect().top(), 1, event->rect().height()), rule);
    for (const RailCard* card : cards_) {
        const qreal y = card->y() + card->tickOffset + tickDrop;
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
