#include "Tovin/review/PartLedger.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <algorithm>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {
constexpr int tickPitch = 4;  // one part every 4 points
constexpr int tickHeight = 12;
}  // namespace

TickView::TickView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TickView::setStates(std::vector<bool> states) {
    if (states == states_) return;
    states_ = std::move(states);
    updateGeometry();
    update();
}

QSize TickView::sizeHint() const {
    return {tickPitch * int(states_.size()), tickHeight};
}

void TickView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor dark = Theme::labelColor(Theme::Label::primary, palette());
    QColor faint = Theme::labelColor(Theme::Label::tertiary, palette());
    faint.setAlphaF(faint.alphaF() * 0.35);
    const qreal middle = height() / 2.0;
    for (size_t i = 0; i < states_.size(); ++i) {
        const qreal x = tickPitch * qreal(i) + 1;
        if (states_[i])
            painter.fillRect(QRectF(x, middle - 6, 1.5, 12), dark);
        else
            painter.fillRect(QRectF(x, middle - 4.5, 1, 9), faint);
    }
}

PartLedger::PartLedger(QWidget* parent)
    : QWidget(parent), ticks_(new TickView(this)), count_(new QLabel(this)) {
    setObjectName(QStringLiteral("PartLedger"));
    setFixedHeight(height);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 14, 0);
    layout->setSpacing(0);
    layout->addWidget(ticks_, 0, Qt::AlignVCenter);
    layout->addSpacing(18);
    layout->addWidget(count_, 0, Qt::AlignVCenter);
    count_->setFont(Theme::monoFont(10));
    count_->setFixedHeight(12);
}

PartLedger::Reading PartLedger::read(const std::vector<rovuvuz::PartName>& archiveParts,
                                     const std::set<rovuvuz::PartName>& dirty) {
    Reading reading;
    std::set<std::string> listed;
    auto add = [&](const std::string& name) {
        // Folder entries are not parts.
        if (name.empty() || name.back() == '/' || !listed.insert(name).second) return;
        reading.names.push_back(name);
        reading.rewritten.push_back(dirty.count(rovuvuz::PartName(name)) > 0);
    };
    for (const rovuvuz::PartName& part : archiveParts) add(part.rawValue);
    // Parts only the save creates (a first comment, a new picture) follow the archive's.
    for (const rovuvuz::PartName& part : dirty) add(part.rawValue);

    reading.count = QStringLiteral("%1 OF %2 PARTS").arg(dirty.size()).arg(reading.names.size()).toUpper();
    if (dirty.empty()) {
        reading.toolTip = QStringLiteral("Saving now writes the file back as it was.");
    } else {
        QStringList names;
        for (const rovuvuz::PartName& part : dirty) names << QString::fromStdString(part.rawValue);
        names.sort();
        reading.toolTip = QStringLiteral("Saving rewrites ") + names.join(QStringLiteral(", ")) +
                          QStringLiteral(". Every other part goes back byte for byte.");
    }
    return reading;
}

void PartLedger::refresh() {
    if (!doc_) return;
    std::set<rovuvuz::PartName> dirty;
    try {
        dirty = doc_->dirtyParts();
    } catch (const std::exception&) {
        // A story that no longer serializes cannot be saved either; the save reports it.
    }
    reading_ = read(doc_->partNames(), dirty);
    ticks_->setStates(reading_.rewritten);
    count_->setText(reading_.count);
    const QColor secondary = Theme::labelColor(Theme::Label::secondary, palette());
    count_->setStyleSheet(QStringLiteral("color: %1").arg(secondary.name(QColor::HexArgb)));
    setToolTip(reading_.toolTip);
    updateGeometry();
}

}  // namespace tovin
