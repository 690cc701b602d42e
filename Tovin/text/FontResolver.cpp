#include "Tovin/text/FontResolver.h"

#include <QFontDatabase>

namespace tovin {

namespace {

// Debian's stand-ins for the interface fonts of the platform the design names: Liberation
// Sans and DejaVu Sans for Helvetica Neue, DejaVu Sans Mono for Menlo.
const QStringList helveticaNeue = {"Liberation Sans", "DejaVu Sans"};
const QStringList menlo = {"DejaVu Sans Mono", "Liberation Mono"};

struct Row {
    QStringList families;
    QStringList candidates;
};

const std::vector<Row>& rows() {
    static const std::vector<Row> table = {
        {{"Calibri", "Calibri Light", "Calibri Body", "Aptos", "Aptos Display", "Aptos Light",
          "Aptos Narrow"},
         {"Carlito"}},
        {{"Cambria"}, {"Caladea"}},
        {{"Cambria Math"}, {"STIX Two Math", "Times New Roman", "Liberation Serif"}},
        {{"Segoe UI"}, helveticaNeue},
        {{"Consolas"}, menlo},
        // The core fonts every other desktop has; Liberation matches their metrics.
        {{"Times New Roman", "Times"}, {"Liberation Serif", "DejaVu Serif"}},
        {{"Arial", "Helvetica", "Helvetica Neue"}, helveticaNeue},
        {{"Courier New", "Courier"}, {"Liberation Mono", "DejaVu Sans Mono"}},
    };
    return table;
}

}  // namespace

FontResolver& FontResolver::shared() {
    static FontResolver resolver(QFontDatabase::families());
    return resolver;
}

FontResolver::FontResolver(const QStringList& installed) {
    for (const QString& family : installed) installed_.insert(family.toLower(), family);
}

QStringList FontResolver::candidates(const QString& family) {
    for (const Row& row : rows())
        for (const QString& name : row.families)
            if (name.compare(family, Qt::CaseInsensitive) == 0) return row.candidates;
    return {};
}

QString FontResolver::installedName(const QString& family) const {
    return installed_.value(family.toLower());
}

QString FontResolver::lastResort() const {
    for (const QString& family : helveticaNeue)
        if (const QString name = installedName(family); !name.isEmpty()) return name;
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QString FontResolver::resolve(const QString& family) {
    if (const auto cached = cache_.constFind(family); cached != cache_.cend()) return *cached;
    QString answer = installedName(family);
    if (answer.isEmpty()) {
        substituted_.insert(family);
        for (const QString& candidate : candidates(family)) {
            answer = installedName(candidate);
            if (!answer.isEmpty()) break;
        }
        if (answer.isEmpty()) answer = lastResort();
    }
    cache_.insert(family, answer);
    return answer;
}

}  // namespace tovin
