// The column to the right of the body text: one card per comment thread and one per tracked
// insertion or deletion of the body, each beside the line it belongs to, never overlapping
// (12 points apart), with a tick from the rail's rule to that line. It is rebuilt from the
// document after each settled burst of changes, keeping the cards whose content did not
// change so that a keystroke does not rebuild thousands of cards, and performs the cards'
// actions as single undo steps through the engine.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "Tovin/review/RailCard.h"

namespace tovin {

class EditorViewController;

class CommentRail : public QWidget {
    Q_OBJECT
  public:
    static constexpr int shownWidth = 268;  // while it has cards

    CommentRail(EditorViewController* editor, QWidget* parent);

    // Comment cards first, then change cards, each in file or text order.
    const std::vector<RailCard*>& cards() const { return cards_; }

    // Rebuilds the cards from the document and asks the editor for layout.
    void reload();
    // Places the rail over the body view (in viewport coordinates, scrolled); lays the
    // cards out again when its size changed or a reload asked for it.
    void place(const QRect& frame, bool bodyLaidOut);
    // Positions every card beside its anchor line.
    void layoutCards();

    // Performs a card's action.
    void act(const RailCard::Action& action, RailCard* card);

  protected:
    void paintEvent(QPaintEvent* event) override;
    // The rail stands inside the body's scrolling view: mouse and key events that its cards
    // and reply fields leave unhandled (a reply field ignores Return once it has reported it)
    // stop here instead of reaching the body text. Wheel events still scroll the body.
    bool event(QEvent* event) override;

  private:
    RailModel readModel() const;
    void select(RailCard* card);

    QPointer<EditorViewController> editor_;
    std::vector<RailCard*> cards_;
    bool needsLayout_ = true;
};

}  // namespace tovin
