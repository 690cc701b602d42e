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
    QLabel* author = makeLabel(left, Theme::monoFont(10), colour, row);
    author->setMinimumWidth(0);
    author->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(author, 1);
    if (!right.isEmpty()) layout->addWidget(makeLabel(right, Theme::monoFont(10), colour, row));
    return row;
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
    addEntry(comment.comment, comment.done);
    for (const rovuvuz::EntrySnapshot& reply : comment.replies) {
        spaceAfter(stack_, entryGap);
        addEntry(reply, comment.done);
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

void RailCard::addEntry(const rovuvuz::EntrySnapshot& entry, bool done) {
    const QColor meta = Theme::labelColor(done ? Theme::Label::tertiary : Theme::Label::secondary, palette());
    // An empty author is as good as none.
    const QString author = entry.author && !entry.author->empty() ? QString::fromStdString(*entry.author)
                                                                  : QStringLiteral("Unknown");
    stack_->addWidget(metaRow(author.toUpper(), shortDate(entry.date), meta, this));
    QLabel* text =
        makeLabel(entryText(entry), Theme::systemFont(12),
                  Theme::labelColor(done ? Theme::Label::tertiary : Theme::Label::primary, palette()), this);
    text->setWordWrap(true);
    stack_->addWidget(text);
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
    actions_->setFixedHeight(QFontMetrics(Theme::systemFont(11)).height() + 6);
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
    for (size_t i = 0; i < handlers_.size(); ++i) {
        auto* button = new QToolButton(actions_);
        button->setAutoRaise(true);
        button->setText(handlers_[i].first);
        button->setFont(Theme::systemFont(11));
        button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; %1 }")
                                  .arg(colourStyle(Theme::labelColor(Theme::Label::secondary, palette()))));
        button->setCursor(Qt::PointingHandCursor);
        connect(button, &QToolButton::clicked, this, [this, i] { act(handlers_[i].second); });
        row->insertWidget(int(i), button);
        buttons.push_back(button);
    }
    return buttons;
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
        if (!shown && !hovering_ && !replyField_) actions_->hide();
    });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void RailCard::mousePressEvent(QMouseEvent* event) {
    // Accepted, so that the press does not reach the body view the rail stands in.
    event->accept();
    if (event->button() == Qt::LeftButton) rail_->act(Select{}, this);
}

void RailCard::startReply() {
    if (replyField_) return replyField_->setFocus();
    replyField_ = new QLineEdit(this);
    replyField_->setPlaceholderText(QStringLiteral("Reply"));
    replyField_->setFont(Theme::systemFont(12));
    connect(replyField_, &QLineEdit::returnPressed, this, &RailCard::submitReply);
    stack_->insertWidget(stack_->indexOf(actions_), replyField_);
    // A child added to a shown widget stays hidden, and the layout would not count it.
    replyField_->show();
    fadeActions();
    rail_->cardResized(this);
    replyField_->setFocus();
}

void RailCard::startEdit() {
    const auto* comment = std::get_if<CommentCardModel>(&model_);
    if (!comment || replyField_) return;
    startReply();
    editing_ = true;
    replyField_->setPlaceholderText(QStringLiteral("Comment"));
    replyField_->setText(entryText(comment->comment).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    replyField_->selectAll();
}

void RailCard::submitReply() {
    if (!replyField_) return;
    // After the key that submitted has been handled: the reply reloads the views, which
    // takes this card and its field away.
    const QString text = replyField_->text();
    if (editing_) return QTimer::singleShot(0, this, [this, text] { rail_->act(Edit{text}, this); });
    QTimer::singleShot(0, this, [this, text] { rail_->act(Reply{text}, this); });
}

}  // namespace tovin
