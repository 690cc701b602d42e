#include "Tovin/review/RailCard.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "Tovin/review/CommentRail.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

constexpr int stackSpacing = 3;
constexpr int entryGap = 10;   // between a comment and its replies
constexpr int actionsGap = 6;  // above the action buttons
constexpr int actionSpacing = 12;
constexpr int fadeMs = 150;
constexpr int metaPoints = 10;  // the author and date rows

QString colourStyle(const QColor& colour) {
    return QStringLiteral("color: %1").arg(colour.name(QColor::HexArgb));
}

// The colour goes in the palette: a style sheet per label would make each of the thousands
// of labels of a long review parse one and get a style of its own. The role is set too, as
// a widget inside the text view would otherwise draw in the view's text role.
QLabel* makeLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setForegroundRole(QPalette::WindowText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A row with `left` on the left and `right` on the right, the left one truncating first.
QWidget* metaRow(const QString& left, const QString& right, const QColor& colour, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    QLabel* author = makeLabel(left, Theme::monoFont(metaPoints), colour, row);
    author->setMinimumWidth(0);
    author->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(author, 1);
    if (!right.isEmpty()) layout->addWidget(makeLabel(right, Theme::monoFont(metaPoints), colour, row));
    return row;
}

int actionsHeight() {
    return QFontMetrics(Theme::systemFont(11)).height() + 6;
}

QToolButton* makeButton(const QString& title, const QColor& colour, QWidget* parent, int points = 11) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setText(title);
    button->setFont(Theme::systemFont(points));
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; %1 }").arg(colourStyle(colour)));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// A stack view's custom spacing after a view: Qt lays the stack's spacing on both sides of
// a spacer, so the spacer makes up the rest.
void spaceAfter(QVBoxLayout* stack, int points) {
    stack->addSpacing(std::max(points - 2 * stackSpacing, 0));
}

}  // namespace

RailCard::RailCard(const CommentCardModel& comment, CommentRail* rail)
    : QWidget(rail), model_(comment), rail_(rail) {
    setUp();
    addEntry(comment.comment, comment.done, false);
    for (const rovuvuz::EntrySnapshot& reply : comment.replies) {
        spaceAfter(stack_, entryGap);
        addEntry(reply, comment.done, true);
    }
    if (comment.done)
        stack_->addWidget(makeLabel(QStringLiteral("Resolved").toUpper(), Theme::monoFont(10),
                                    Theme::labelColor(Theme::Label::tertiary, palette()), this));
    std::vector<std::pair<QString, Action>> actions;
    actions.emplace_back(comment.done ? QStringLiteral("Reopen") : QStringLiteral("Resolve"), Resolve{});
    if (!comment.done) actions.emplace_back(QStringLiteral("Reply"), Reply{});
    actions.emplace_back(QStringLiteral("Edit"), Edit{});
    actions.emplace_back(QStringLiteral("Delete"), Delete{});
    finish(std::move(actions));
}

RailCard::RailCard(const ChangeCardModel& change, CommentRail* rail)
    : QWidget(rail), model_(change), rail_(rail) {
    setUp();
    const bool deleted = change.revision.kind == rovuvuz::RevisionKind::remove;
    const QColor colour = (deleted ? Theme::brick : Theme::cobalt).resolve(palette());
    QString what = deleted ? QStringLiteral("Deleted") : QStringLiteral("Inserted");
    if (change.row) what += change.rowCount > 1 ? QStringLiteral(" rows") : QStringLiteral(" row");
    if (change.mark) what += QStringLiteral(" paragraph mark");
    const QString author = QString::fromStdString(change.revision.author) + QStringLiteral(" · ") + what;
    stack_->addWidget(metaRow(author.toUpper(), shortDate(change.revision.date), colour, this));
    snippet_ = makeLabel(change.snippet, Theme::systemFont(12),
                         Theme::labelColor(Theme::Label::primary, palette()), this);
    snippet_->setWordWrap(true);
    stack_->addWidget(snippet_);
    finish({{QStringLiteral("Accept"), Accept{}}, {QStringLiteral("Reject"), Reject{}}});
}

void RailCard::setUp() {
    setObjectName(QStringLiteral("RailCard"));
    stack_ = new QVBoxLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->setSpacing(stackSpacing);
    stack_->setAlignment(Qt::AlignTop);
    setCursor(Qt::PointingHandCursor);
    hide();  // until the rail places it near the visible text
}

void RailCard::addEntry(const rovuvuz::EntrySnapshot& entry, bool done, bool reply) {
    const QColor meta = Theme::labelColor(done ? Theme::Label::tertiary : Theme::Label::secondary, palette());
    // An empty author is as good as none.
    const QString author = entry.author && !entry.author->empty() ? QString::fromStdString(*entry.author)
                                                                  : QStringLiteral("Unknown");
    Entry shown{entry.id, metaRow(author.toUpper(), shortDate(entry.date), meta, this), nullptr, nullptr};
    stack_->addWidget(shown.meta);
    if (reply) {
        // The reply's own actions sit in its meta row, between the author and the date, in
        // small type that keeps the row as tall as its labels; their buttons are made when
        // first shown, as the card's.
        shown.actions = new QWidget(shown.meta);
        auto* row = new QHBoxLayout(shown.actions);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(actionSpacing);
        shown.actions->setFixedHeight(QFontMetrics(Theme::monoFont(metaPoints)).height());
        QSizePolicy policy = shown.actions->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        shown.actions->setSizePolicy(policy);
        shown.actions->hide();
        static_cast<QHBoxLayout*>(shown.meta->layout())->insertWidget(1, shown.actions);
    }
    QLabel* text =
        makeLabel(entryText(entry), Theme::systemFont(12),
                  Theme::labelColor(done ? Theme::Label::tertiary : Theme::Label::primary, palette()), this);
    text->setWordWrap(true);
    stack_->addWidget(text);
    shown.text = text;
    entries_.push_back(shown);
}

// The action row keeps its height from the start; its buttons are made when first shown,
// since a long document has thousands of cards and few are ever hovered.
void RailCard::finish(std::vector<std::pair<QString, Action>> actions) {
    handlers_ = std::move(actions);
    spaceAfter(stack_, actionsGap);
    actions_ = new QWidget(this);
    auto* row = new QHBoxLayout(actions_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(actionSpacing);
    row->addStretch(1);
    actions_->setFixedHeight(actionsHeight());
    QSizePolicy policy = actions_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    actions_->setSizePolicy(policy);
    actions_->hide();
    stack_->addWidget(actions_);
}

std::vector<QToolButton*> RailCard::actionButtons() {
    const QList<QToolButton*> made = actions_->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    std::vector<QToolButton*> buttons(made.begin(), made.end());
    if (!buttons.empty()) return buttons;
    auto* row = static_cast<QHBoxLayout*>(actions_->layout());
    const QColor colour = Theme::labelColor(Theme::Label::secondary, palette());
    for (size_t i = 0; i < handlers_.size(); ++i) {
        auto* button = makeButton(handlers_[i].first, colour, actions_);
        connect(button, &QToolButton::clicked, this, [this, i] { act(handlers_[i].second); });
        row->insertWidget(int(i), button);
        buttons.push_back(button);
    }
    return buttons;
}

std::vector<QToolButton*> RailCard::replyButtons(size_t reply) {
    if (reply + 1 >= entries_.size() || !entries_[reply + 1].actions) return {};
    const Entry& entry = entries_[reply + 1];
    const QList<QToolButton*> made = entry.actions->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    if (!made.isEmpty()) return {made.begin(), made.end()};
    const QColor colour = Theme::labelColor(Theme::Label::secondary, palette());
    auto* row = static_cast<QHBoxLayout*>(entry.actions->layout());
    QToolButton* edit = makeButton(QStringLiteral("Edit"), colour, entry.actions, metaPoints);
    QToolButton* remove = makeButton(QStringLiteral("Delete"), colour, entry.actions, metaPoints);
    connect(edit, &QToolButton::clicked, this, [this, reply] {
        if (!replyField_) startEdit(reply + 1);
    });
    const int64_t id = entry.id;
    connect(remove, &QToolButton::clicked, this, [this, id] { rail_->act(Delete{id}, this); });
    row->addWidget(edit);
    row->addWidget(remove);
    return {edit, remove};
}

void RailCard::showReplyActions(bool shown) {
    for (size_t reply = 0; reply + 1 < entries_.size(); ++reply) {
        if (shown) replyButtons(reply);
        entries_[reply + 1].actions->setVisible(shown);
    }
}

qreal RailCard::actionsOpacity() const {
    if (actions_->isHidden()) return 0;
    const auto* effect = qobject_cast<QGraphicsOpacityEffect*>(actions_->graphicsEffect());
    return effect ? effect->opacity() : 1;
}

void RailCard::act(const Action& action) {
    if (std::holds_alternative<Reply>(action) && !replyField_) return startReply();
    if (std::holds_alternative<Edit>(action) && !replyField_) return startEdit();
    rail_->act(action, this);
}

bool RailCard::sameContent(const CommentCardModel& comment) const {
    const auto* mine = std::get_if<CommentCardModel>(&model_);
    return mine && mine->comment == comment.comment && mine->replies == comment.replies &&
           mine->done == comment.done;
}

bool RailCard::sameContent(const ChangeCardModel& change) const {
    const auto* mine = std::get_if<ChangeCardModel>(&model_);
    return mine && mine->revision == change.revision && mine->snippet == change.snippet &&
           mine->row == change.row && mine->mark == change.mark && mine->rowCount == change.rowCount &&
           mine->also == change.also;
}

bool RailCard::done() const {
    const auto* comment = std::get_if<CommentCardModel>(&model_);
    return comment && comment->done;
}

int RailCard::heightFor(int width) const {
    const int height = stack_->totalHeightForWidth(width);
    return height >= 0 ? height : stack_->totalSizeHint().height();
}

void RailCard::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    fadeActions();
    QWidget::enterEvent(event);
}

void RailCard::leaveEvent(QEvent* event) {
    hovering_ = false;
    fadeActions();
    QWidget::leaveEvent(event);
}

// The actions show while the pointer is over the card or a reply is being typed.
void RailCard::fadeActions() {
    const bool shown = hovering_ || replyField_;
    if (shown) actionButtons();
    if (shown) showReplyActions(true);
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(actions_->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(actions_);
        effect->setOpacity(actions_->isHidden() ? 0 : 1);
        actions_->setGraphicsEffect(effect);
    }
    auto* fade = new QPropertyAnimation(effect, "opacity", actions_);
    fade->setDuration(fadeMs);
    fade->setEndValue(shown ? 1.0 : 0.0);
    if (shown) actions_->show();
    connect(fade, &QPropertyAnimation::finished, actions_, [this, shown] {
        if (shown || hovering_ || replyField_) return;
        actions_->hide();
        showReplyActions(false);
    });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void RailCard::mousePressEvent(QMouseEvent* event) {
    // Accepted, so that the press does not reach the body view the rail stands in.
    event->accept();
    if (event->button() == Qt::LeftButton) rail_->act(Select{}, this);
}

void RailCard::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !isComment() || replyField_) return;
    // The entry under the pointer: from its meta row down to its text.
    const int y = event->position().toPoint().y();
    for (size_t i = 0; i < entries_.size(); ++i)
        if (y >= entries_[i].meta->geometry().top() && y <= entries_[i].text->geometry().bottom())
            return startEdit(i);
}

void RailCard::startReply() {
    if (replyField_) return replyField_->setFocus();
    openField(stack_->indexOf(actions_), QStringLiteral("Reply"));
}

// The one text field of the card, at a place in its stack.
void RailCard::openField(int at, const QString& placeholder) {
    replyField_ = new QLineEdit(this);
    replyField_->setPlaceholderText(placeholder);
    replyField_->setFont(Theme::systemFont(12));
    connect(replyField_, &QLineEdit::returnPressed, this, &RailCard::submitReply);
    stack_->insertWidget(at, replyField_);
    // A child added to a shown widget stays hidden, and the layout would not count it.
    replyField_->show();
    fadeActions();
    rail_->cardResized(this);
    replyField_->setFocus();
}

void RailCard::startEdit(size_t entry) {
    const auto* comment = std::get_if<CommentCardModel>(&model_);
    if (!comment || replyField_ || entry >= entries_.size()) return;
    const rovuvuz::EntrySnapshot& edited = entry == 0 ? comment->comment : comment->replies[entry - 1];
    // Under the text it changes.
    openField(stack_->indexOf(entries_[entry].text) + 1,
              entry == 0 ? QStringLiteral("Comment") : QStringLiteral("Reply"));
    editingEntry_ = entry;
    replyField_->setText(entryText(edited).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    replyField_->selectAll();
}

void RailCard::submitReply() {
    if (!replyField_) return;
    // After the key that submitted has been handled: the reply reloads the views, which
    // takes this card and its field away.
    const QString text = replyField_->text();
    if (editingEntry_) {
        std::optional<int64_t> reply;
        if (*editingEntry_ > 0) reply = entries_[*editingEntry_].id;
        return QTimer::singleShot(0, this, [this, text, reply] { rail_->act(Edit{text, reply}, this); });
    }
    QTimer::singleShot(0, this, [this, text] { rail_->act(Reply{text}, this); });
}

}  // namespace tovin
