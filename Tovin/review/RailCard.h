// One card of the comment rail: a comment thread (its first comment, the replies to it and
// whether it is resolved) or a tracked insertion or deletion of the body with a quoted
// snippet. Its action buttons fade in while the pointer is over it; a click selects its
// place in the body. A card only shows and reports; the rail performs the actions.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "Tovin/review/RailModel.h"

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QToolButton;
class QVBoxLayout;

namespace tovin {

class CommentRail;

class RailCard : public QWidget {
    Q_OBJECT
  public:
    struct Resolve {};
    struct Reply {
        QString text;
    };
    struct Accept {};
    struct Reject {};
    struct Select {};
    // Deletes the thread: the comment with its replies, its marks and its anchors.
    struct Delete {};
    // New text for the thread's first comment, typed in the card's field.
    struct Edit {
        QString text;
    };
    using Action = std::variant<Resolve, Reply, Accept, Reject, Select, Delete, Edit>;

    RailCard(const CommentCardModel& comment, CommentRail* rail);
    RailCard(const ChangeCardModel& change, CommentRail* rail);

    // The model the card was built from. A reload keeps a card whose content is the same
    // wherever it now stands, so its offsets (a thread's anchor, a change's location) are
    // those it was built with: where it stands now is the rail's `anchorOf`.
    const std::variant<CommentCardModel, ChangeCardModel>& model() const { return model_; }
    bool isComment() const { return std::holds_alternative<CommentCardModel>(model_); }
    // Whether a model would show exactly what this card shows, wherever it stands.
    bool sameContent(const CommentCardModel& comment) const;
    bool sameContent(const ChangeCardModel& change) const;

    bool done() const;

    // The card's height at a width.
    int heightFor(int width) const;

    // The labels and buttons, for the rail and for tests.
    QLabel* snippetLabel() const { return snippet_; }
    QLineEdit* replyField() const { return replyField_; }
    // The action buttons' titles, made on first use.
    std::vector<QToolButton*> actionButtons();
    bool hovering() const { return hovering_; }
    qreal actionsOpacity() const;

    void startReply();
    // The field again, holding the comment's text (its paragraphs as one line) to change.
    void startEdit();
    bool editing() const { return editing_; }
    void submitReply();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void setUp();
    void addEntry(const rovuvuz::EntrySnapshot& entry, bool done);
    void finish(std::vector<std::pair<QString, Action>> actions);
    void fadeActions();
    void act(const Action& action);

    std::variant<CommentCardModel, ChangeCardModel> model_;
    CommentRail* rail_;
    QVBoxLayout* stack_ = nullptr;
    QWidget* actions_ = nullptr;
    std::vector<std::pair<QString, Action>> handlers_;
    QLabel* snippet_ = nullptr;
    QLineEdit* replyField_ = nullptr;
    bool hovering_ = false;
    bool editing_ = false;  // the field edits the comment rather than replying
};

}  // namespace tovin
