// One card of the comment rail: a comment thread (its first comment, the replies to it and
// whether it is resolved) or a tracked insertion or deletion of the body with a quoted
// snippet. Its action buttons fade in while the pointer is over it, and so do each reply's
// own Edit and Delete; a click selects its place in the body, a double-click on a comment
// or a reply edits it. A card only shows and reports; the rail performs the actions.
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
    // Deletes the thread (the comment with its replies, its marks and its anchors), or
    // with `reply` that reply alone.
    struct Delete {
        std::optional<int64_t> reply;
    };
    // New text for the thread's first comment, or for one of its replies, typed in the
    // card's field.
    struct Edit {
        QString text;
        std::optional<int64_t> reply;
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
    // A reply's own buttons (Edit, Delete), by the reply's index in the thread; made on
    // first use, empty for an index past the replies.
    std::vector<QToolButton*> replyButtons(size_t reply);
    bool hovering() const { return hovering_; }
    qreal actionsOpacity() const;

    void startReply();
    // The field again, under the entry it changes (0: the comment, 1 on: its replies),
    // holding that entry's text (its paragraphs as one line).
    void startEdit(size_t entry = 0);
    bool editing() const { return editingEntry_.has_value(); }
    // The entry the field edits (0: the comment, 1 on: its replies).
    std::optional<size_t> editingEntry() const { return editingEntry_; }
    void submitReply();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // What a card shows of one comment or reply.
    struct Entry {
        int64_t id = -1;
        QWidget* meta = nullptr;
        QWidget* text = nullptr;
        QWidget* actions = nullptr;  // a reply's Edit and Delete; none for the comment
    };
    void setUp();
    void addEntry(const rovuvuz::EntrySnapshot& entry, bool done, bool reply);
    void openField(int at, const QString& placeholder);
    void showReplyActions(bool shown);
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
    std::vector<Entry> entries_;  // the comment, then its replies
    bool hovering_ = false;
    std::optional<size_t> editingEntry_;  // the field edits this entry rather than replying
};

}  // namespace tovin
