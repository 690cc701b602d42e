#include "Tovin/editor/ColourChoice.h"

#include <QColorDialog>
#include <limits>

#include "Tovin/text/AttributedBuilder.h"

namespace tovin::ColourChoice {

namespace {

const std::vector<std::pair<const char*, const char*>> named = {
    {"Yellow", "yellow"},      {"Bright Green", "green"}, {"Turquoise", "cyan"},
    {"Pink", "magenta"},       {"Blue", "blue"},          {"Red", "red"},
    {"Dark Blue", "darkBlue"}, {"Teal", "darkCyan"},      {"Green", "darkGreen"},
    {"Violet", "darkMagenta"}, {"Dark Red", "darkRed"},   {"Dark Yellow", "darkYellow"},
    {"Gray 50%", "darkGray"},  {"Gray 25%", "lightGray"}, {"Black", "black"},
    {"White", "white"},
};

// The "redmean" approximation of how far apart two colours look.
double distance(const QColor& a, const QColor& b) {
    const double mean = (a.red() + b.red()) / 2.0;
    const double r = a.red() - b.red(), g = a.green() - b.green(), bl = a.blue() - b.blue();
    return (2 + mean / 256) * r * r + 4 * g * g + (2 + (255 - mean) / 256) * bl * bl;
}

}  // namespace

QString moreTitle() {
    return QStringLiteral("More Colours…");
}

std::optional<QColor> colourOf(const std::string& value) {
    if (const std::optional<QColor> named = AttributedBuilder::wordHighlight(value))
        return QColor(named->red(), named->green(), named->blue());
    const QColor given(QStringLiteral("#") + QString::fromStdString(value));
    if (value.size() == 6 && given.isValid()) return given;
    return std::nullopt;
}

std::optional<QColor> ask(QWidget* parent, const QString& title, const std::optional<std::string>& start) {
    const QColor initial = (start ? colourOf(*start) : std::nullopt).value_or(QColor(Qt::black));
    // Qt's own dialog, the same on every desktop, and one a test can reach.
    const QColor chosen = QColorDialog::getColor(initial, parent, title, QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

std::string hex(const QColor& colour) {
    return colour.name(QColor::HexRgb).mid(1).toUpper().toStdString();
}

const std::vector<std::pair<const char*, const char*>>& highlights() {
    return named;
}

std::string nearestHighlight(const QColor& colour) {
    std::string best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const auto& [title, name] : named) {
        // The colour the editor draws for it, without the transparency it draws it with.
        const std::optional<QColor> shown = AttributedBuilder::wordHighlight(name);
        if (!shown) continue;
        const double d = distance(colour, QColor(shown->red(), shown->green(), shown->blue()));
        if (d < bestDistance) {
            bestDistance = d;
            best = name;
        }
    }
    return best;
}

QString highlightTitle(const std::string& name) {
    for (const auto& [title, value] : named)
        if (name == value) return QString::fromUtf8(title);
    return QString::fromStdString(name);
}

}  // namespace tovin::ColourChoice
