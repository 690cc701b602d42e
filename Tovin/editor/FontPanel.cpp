#include "Tovin/editor/FontPanel.h"

#include <QComboBox>
#include <cmath>
#include <functional>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QSet>

#include "Tovin/document/EditSeam.h"
#include "Tovin/editor/ColourChoice.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/FormatCommands.h"
#include "Tovin/text/FontResolver.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin {

namespace {

using rovuvuz::RunFormatChange;

// Marks the "More Colours…" item of a box.
constexpr int moreRole = Qt::UserRole + 1;

// Word's text colours, by the hexadecimal value w:color takes.
const std::vector<std::pair<const char*, const char*>> colours = {
    {"Black", "000000"}, {"Dark Gray", "595959"}, {"Red", "C00000"},   {"Orange", "ED7D31"},
    {"Green", "00B050"}, {"Blue", "0070C0"},      {"Purple", "7030A0"},
};
// ST_HighlightColor's names (ECMA-376 §17.18.40) the panel offers.
const std::vector<std::pair<const char*, const char*>> highlights = {
    {"Yellow", "yellow"},   {"Bright Green", "green"}, {"Turquoise", "cyan"}, {"Pink", "magenta"},
    {"Blue", "blue"},       {"Red", "red"},            {"Gray", "lightGray"},
};

QString standIn(const QString& family) {
    const QString shown = FontResolver::shared().resolve(family);
    return shown.compare(family, Qt::CaseInsensitive) == 0 ? QString() : shown;
}

}  // namespace

void FontPanel::fillFamilies(QComboBox& box, const QStringList& documentFamilies) {
    QSet<QString> listed;
    auto add = [&](const QString& family) {
        if (family.isEmpty() || listed.contains(family.toLower())) return;
        listed.insert(family.toLower());
        const QString shown = standIn(family);
        box.addItem(shown.isEmpty() ? family : QStringLiteral("%1 (shown as %2)").arg(family, shown), family);
    };
    for (const QString& family : documentFamilies) add(family);
    if (!documentFamilies.isEmpty()) box.insertSeparator(box.count());
    for (const QString& family : QFontDatabase::families()) add(family);
}

const std::vector<std::pair<const char*, const char*>>& FontPanel::colourChoices() {
    return colours;
}

const std::vector<std::pair<const char*, const char*>>& FontPanel::highlightChoices() {
    return highlights;
}

namespace {

void fillChoices(QComboBox& box, const QString& none, const std::vector<std::pair<const char*, const char*>>& items,
                 const std::optional<std::string>& current) {
    box.addItem(none);
    for (const auto& [title, value] : items) box.addItem(QString::fromUtf8(title), QString::fromLatin1(value));
    if (!current) return;
    const QString value = QString::fromStdString(*current);
    int found = box.findData(value, Qt::UserRole, Qt::MatchFixedString);
    if (found < 0) {
        // A value the document uses that the list lacks stays offered as it is.
        box.addItem(value, value);
        found = box.count() - 1;
    }
    box.setCurrentIndex(found);
}

// The item of a choice, put before "More Colours…" when the box lacks it.
int itemFor(QComboBox& box, const QString& title, const QString& value) {
    int found = box.findData(value, Qt::UserRole, Qt::MatchFixedString);
    if (found >= 0) return found;
    found = box.count() - 1;
    box.insertItem(found, title, value);
    return found;
}

// Ends a box with "More Colours…", which asks for any colour and makes it the box's choice
// through `choose` (its item's index); cancelled, the box shows what it showed before.
void offerMore(QComboBox& box, const QString& title, const std::function<int(const QColor&)>& choose) {
    box.addItem(ColourChoice::moreTitle());
    box.setItemData(box.count() - 1, true, moreRole);
    box.setProperty("previous", box.currentIndex());
    QObject::connect(&box, &QComboBox::activated, &box, [&box, title, choose](int index) {
        if (!box.itemData(index, moreRole).toBool()) {
            box.setProperty("previous", index);
            return;
        }
        const QVariant before = box.itemData(box.property("previous").toInt());
        const auto start = before.isValid() ? std::optional(before.toString().toStdString()) : std::nullopt;
        const std::optional<QColor> colour = ColourChoice::ask(&box, title, start);
        const int now = colour ? choose(*colour) : box.property("previous").toInt();
        box.setCurrentIndex(now);
        box.setProperty("previous", now);
    });
}

std::optional<std::string> chosen(const QComboBox& box) {
    const QVariant value = box.currentData();
    if (!value.isValid()) return std::nullopt;
    return value.toString().toStdString();
}

}  // namespace

FontPanel::FontPanel(const QStringList& documentFamilies, const std::optional<rovuvuz::RunFormat>& current,
                     QWidget* parent)
    : QDialog(parent),
      family_(new QComboBox(this)),
      size_(new QDoubleSpinBox(this)),
      colour_(new QComboBox(this)),
      highlight_(new QComboBox(this)),
      current_(current) {
    setWindowTitle(QStringLiteral("Font"));
    fillFamilies(*family_, documentFamilies);
    if (current && current->font) {
        const QString family = QString::fromStdString(*current->font);
        int found = family_->findData(family, Qt::UserRole, Qt::MatchFixedString);
        if (found < 0) {
            family_->insertItem(0, family, family);
            found = 0;
        }
        family_->setCurrentIndex(found);
    }
    // Word's range of sizes, in half points.
    size_->setRange(1, 1638);
    size_->setDecimals(1);
    size_->setSingleStep(1);
    size_->setSuffix(QStringLiteral(" pt"));
    size_->setValue(current && current->size ? *current->size : 11);
    shownSize_ = size_->value();
    fillChoices(*colour_, QStringLiteral("Automatic"), colours, current ? current->color : std::nullopt);
    fillChoices(*highlight_, QStringLiteral("No Highlight"), highlights, current ? current->highlight : std::nullopt);
    offerMore(*colour_, QStringLiteral("Text Colour"), [this](const QColor& colour) {
        const QString value = QString::fromStdString(ColourChoice::hex(colour));
        return itemFor(*colour_, QStringLiteral("#") + value, value);
    });
    offerMore(*highlight_, QStringLiteral("Highlight"), [this](const QColor& colour) {
        const std::string name = ColourChoice::nearestHighlight(colour);
        return itemFor(*highlight_, ColourChoice::highlightTitle(name), QString::fromStdString(name));
    });

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Family:"), family_);
    form->addRow(QStringLiteral("Size:"), size_);
    form->addRow(QStringLiteral("Colour:"), colour_);
    form->addRow(QStringLiteral("Highlight:"), highlight_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

std::vector<RunFormatChange> FontPanel::changes() const {
    std::vector<RunFormatChange> result;
    const rovuvuz::RunFormat before = current_.value_or(rovuvuz::RunFormat{});
    const std::optional<std::string> family = chosen(*family_);
    if (family && family != before.font) result.push_back(RunFormatChange{RunFormatChange::Font{family}});
    const double points = std::round(size_->value() * 2) / 2;
    // The size shown for text of no stated size is only a starting point.
    if (std::abs(shownSize_ - points) > 0.01)
        result.push_back(RunFormatChange{RunFormatChange::Size{points}});
    const std::optional<std::string> colour = chosen(*colour_);
    if (colour != before.color) result.push_back(RunFormatChange{RunFormatChange::Color{colour}});
    const std::optional<std::string> highlight = chosen(*highlight_);
    if (highlight != before.highlight) result.push_back(RunFormatChange{RunFormatChange::Highlight{highlight}});
    return result;
}

QStringList FontPanel::documentFamilies(EditorViewController& editor) {
    QStringList families;
    StoryBridge* bridge = editor.bodyBridge();
    if (!bridge) return families;
    for (const StoryBridge::Entry& entry : bridge->entries()) {
        const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        if (!paragraph) continue;
        for (const rovuvuz::Span& span : paragraph->spans) {
            if (!span.format.font) continue;
            const QString family = QString::fromStdString(*span.format.font);
            if (!families.contains(family)) families << family;
        }
    }
    return families;
}

void FontPanel::present(EditorViewController& editor) {
    FontPanel panel(documentFamilies(editor), FormatCommands::formatAtSelection(editor), &editor);
    if (panel.exec() != QDialog::Accepted) return;
    const std::vector<RunFormatChange> changes = panel.changes();
    if (!changes.empty()) FormatCommands::runFormats(editor, changes);
}

}  // namespace tovin
