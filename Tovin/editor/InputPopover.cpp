#include "Tovin/editor/InputPopover.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace tovin {

namespace {
QPointer<InputPopover> shown;
}

InputPopover::InputPopover(const QString& placeholder, const QString& value, const QString& action, Done done,
                           QWidget* parent)
    : QFrame(parent, Qt::Popup),
      field_(new QLineEdit(this)),
      button_(new QPushButton(action, this)),
      done_(std::move(done)) {
    setObjectName(QStringLiteral("InputPopover"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(8);
    layout->setContentsMargins(10, 10, 10, 10);
    field_->setPlaceholderText(placeholder);
    field_->setText(value);
    field_->setFixedWidth(fieldWidth);
    layout->addWidget(field_);
    button_->setDefault(true);
    button_->setAutoDefault(true);
    layout->addWidget(button_);
    connect(field_, &QLineEdit::returnPressed, this, &InputPopover::submit);
    connect(button_, &QPushButton::clicked, this, &InputPopover::submit);
}

void InputPopover::showAt(QWidget* host, const QRect& anchor) {
    adjustSize();
    const QPoint below = host->mapToGlobal(QPoint(anchor.left(), anchor.bottom() + 4));
    move(below);
    shown = this;
    show();
    field_->setFocus(Qt::PopupFocusReason);
    field_->selectAll();
}

InputPopover* InputPopover::current() {
    return shown;
}

void InputPopover::submit() {
    if (submitted_) return;
    submitted_ = true;
    const QString text = field_->text();
    Done done = std::move(done_);
    close();
    if (done) done(text);
}

std::optional<QString> normalizedLink(const QString& typed) {
    qsizetype start = 0;
    qsizetype end = typed.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(typed[start])) ++start;
    while (end > start && blank(typed[end - 1])) --end;
    const QString text = typed.mid(start, end - start);
    if (text.isEmpty()) return std::nullopt;
    if (text.contains(QStringLiteral("://")) || text.startsWith(u'#') ||
        text.startsWith(QStringLiteral("mailto:")))
        return text;
    return QStringLiteral("https://") + text;
}

}  // namespace tovin
