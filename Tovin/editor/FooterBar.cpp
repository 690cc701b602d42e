#include "Tovin/editor/FooterBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>

#include "Tovin/text/Theme.h"

namespace tovin {

FooterBar::FooterBar(QWidget* parent)
    : QWidget(parent), left_(new QLabel(this)), right_(new QLabel(this)), message_(new QLabel(this)) {
    setObjectName(QStringLiteral("FooterBar"));
    setFixedHeight(height);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->addWidget(left_);
    layout->addStretch(1);
    layout->addWidget(message_);
    layout->addStretch(1);
    layout->addWidget(right_);
    for (QLabel* label : {left_, right_}) label->setFont(Theme::monoFont(10));
    message_->setObjectName(QStringLiteral("refusal"));
    message_->hide();
    messageTimer_.setSingleShot(true);
    connect(&messageTimer_, &QTimer::timeout, message_, [this] {
        message_->clear();
        message_->hide();
    });
    update({}, false);
}

void FooterBar::showMessage(const QString& reason) {
    if (reason.isEmpty()) return;
    message_->setText(reason);
    const QColor colour = Theme::labelColor(Theme::Label::primary, palette());
    message_->setStyleSheet(QStringLiteral("color: %1").arg(colour.name(QColor::HexArgb)));
    message_->show();
    messageTimer_.start(messageMs);
}

void FooterBar::update(const QStringList& paragraphs, bool tracking) {
    words_ = count_.count(paragraphs);
    if (count_.brokenLastTime() > 0) ++counts_;
    left_->setText(countLabel(words_, pages_));
    right_->setText(trackingLabel(tracking));
    const QColor colour =
        tracking ? Theme::cobalt.resolve(palette()) : Theme::labelColor(Theme::Label::secondary, palette());
    right_->setStyleSheet(QStringLiteral("color: %1").arg(colour.name(QColor::HexArgb)));
    const QColor secondary = Theme::labelColor(Theme::Label::secondary, palette());
    left_->setStyleSheet(QStringLiteral("color: %1").arg(secondary.name(QColor::HexArgb)));
}

void FooterBar::addTrailing(QWidget* view) {
    auto* row = static_cast<QHBoxLayout*>(layout());
    row->addSpacing(16);
    row->addWidget(view);
}

QString FooterBar::countLabel(int words, std::optional<int> pages) {
    const QLocale locale;
    if (pages)
        return QStringLiteral("%1 %2 (APPROXIMATE)")
            .arg(locale.toString(*pages), *pages == 1 ? QStringLiteral("PAGE") : QStringLiteral("PAGES"));
    return QStringLiteral("%1 WORDS").arg(locale.toString(words));
}

QString FooterBar::trackingLabel(bool tracking) {
    return tracking ? QStringLiteral("TRACK MY EDITS: ON") : QStringLiteral("TRACK MY EDITS: OFF");
}

}  // namespace tovin
