// The column to the right of the body text: one card per comment thread and one per tracked
// insertion or deletion of the body, each beside the line it belongs to, never overlapping
// (12 points apart), with a tick from the rail's rule to that line. It is rebuilt from the
// document after each settled burst of changes, keeping the cards whose content did not
// change. A card's action that edits the document (accept, reject, resolve, reply) is asked
// of the editor by a signal; selecting is the rail's own.
//
// A long review has thousands of cards: every card's place is computed on each layout, but
// only the cards near the visible part of the body are placed and shown. What a reload and
// a layout read and write of each card is kept here in rows of plain values, so that after
// a keystroke they touch only the card widgets whose content changed or that are shown.
#pragma once

#include <QPointer>
#include <QTextDocument>
#include <QWidget>
#include <optional>
#include <vector>

#include "RovuVuz/model/Identifiers.h"
#include "Tovin/review/RailCard.h"
#include "Tovin/review/RailModel.h"
#include "Tovin/review/RailSource.h"

namespace tovin {

class CommentRail : public QWidget {
    Q_OBJECT
  public:
    static constexpr int shownWidth = 268;  // while it has cards

    CommentRail(RailSource* source, QWidget* parent);

    // Comment cards first, then change cards, each in file or text order.
    const std::vector<RailCard*>& cards() const { return cards_; }

    // The next reload reads the comments story again (the whole model was reloaded).
    void commentsChanged() { reader_.commentsChanged(); }
    // Rebuilds the cards from the document and asks the editor for layout (layoutNeeded).
    void reload();
    // Places the rail over the body view (viewport coordinates, scrolled with the text); lays
    // the cards out again when its size changed or `bodyLaidOut`, and shows the cards that
    // came into view.
    void place(const QRect& frame, bool bodyLaidOut);
    // Computes every card's place beside its anchor line and shows the visible ones.
    void layoutCards();
    // A card changed its height (a reply field opened): lays the cards out again.
    void cardResized(const RailCard* card);
    // Where a card stands in the body text now: its thread's first start mark (0 when it
    // has none there) or its change's start; -1 for a card the rail does not hold.
    int anchorOf(const RailCard* card) const;

    // Where the last layout put a card: its top and the distance from there down to its
    // anchor line (rail coordinates), whether or not it is shown now.
    struct Placement {
        int top = 0;
        int height = 0;
        qreal tickOffset = 0;
    };
    Placement placement(const RailCard* card) const;

    // Every revision of the change card that stands for `revision` (the revision alone when
    // no card does).
    std::vector<rovuvuz::RevisionID> revisionsWith(rovuvuz::RevisionID revision) const;

    // Performs a card's action: selects its text, or asks the editor for its edit.
    void act(const RailCard::Action& action, RailCard* card);

  Q_SIGNALS:
    // The cards changed: the editor places the rail (and its bands) again.
    void layoutNeeded();
    // A card's edits, for the editor to make as one undo step each; a change card resolves
    // every revision it stands for.
    void resolveChangeRequested(const std::vector<rovuvuz::RevisionID>& revisions, bool accept);
    void resolveThreadRequested(rovuvuz::CommentID comment, bool resolved);
    void replyRequested(rovuvuz::CommentID comment, const QString& text);
    // A thread's first comment (with its replies) or one reply alone.
    void deleteCommentRequested(rovuvuz::CommentID comment);
    void editCommentRequested(rovuvuz::CommentID comment, const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    // The rail stands inside the body's scrolling view: mouse and key events that its cards
    // and reply fields leave unhandled (a reply field ignores Return once it has reported it)
    // stop here instead of reaching the body text. Wheel events still scroll the body.
    bool event(QEvent* event) override;

  private:
    // What the layout keeps of a card from one layout to the next.
    struct Slot {
        int laidAnchor = -1;  // the anchor the last layout found a line for
        qreal lineTop = 0;    // that line's top
        int height = -1;      // the card's height at `measuredWidth_`; -1 until measured
    };
    // The cards the last reload made, taken one by one by the next.
    struct Previous {
        std::vector<RailCard*> cards;
        std::vector<Slot> slots;
        std::vector<ChangeKey> keys;
        size_t commentCount = 0;
    };
    void takeCommentCards(const RailModel& model, Previous& old);
    void takeChangeCards(const RailModel& model, Previous& old);
    std::vector<std::pair<qreal, size_t>> cardsByLine(const QTextDocument& text);
    void showVisible();
    void select(size_t card);

    // The source, while its object lives.
    RailSource* source() const { return alive_ ? source_ : nullptr; }

    RailSource* source_;
    QPointer<QObject> alive_;
    RailReader reader_;
    // One row per card: comment cards first, then change cards.
    std::vector<RailCard*> cards_;
    std::vector<int> anchors_;
    std::vector<Slot> slots_;
    std::vector<Placement> placements_;
    std::vector<ChangeKey> keys_;  // one per change card
    size_t commentCount_ = 0;
    int measuredWidth_ = -1;
    std::vector<QPointer<RailCard>> shown_;  // the cards showVisible showed
    // What the last layout knew of the lines: whether each card's `lineTop` is the line of
    // its `laidAnchor` in the current text, the text's height then, and what changed since.
    struct Region {
        int from = 0, to = 0, shift = 0;
    };
    struct Lines {
        bool known = false;
        bool textChanged = false;
        std::optional<Region> region;  // set by a reload
        qreal height = 0;
    };
    Lines lines_;
    bool needsLayout_ = true;
    int shownFrom_ = 0, shownTo_ = -1;  // the rail band whose cards are shown
};

}  // namespace tovin
