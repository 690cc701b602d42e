// Which installed family shows a family a document names. Documents name the fonts of the
// systems they were written on; each has a row of metric-compatible stand-ins, tried in
// order, and a family without an installed stand-in is shown in the sans-serif face the
// editor uses for "Helvetica Neue". Answers are cached for the life of the application.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace tovin {

class FontResolver {
  public:
    // The application's resolver, over the families the font database lists.
    static FontResolver& shared();

    // A resolver over a given list of installed families (tests).
    explicit FontResolver(const QStringList& installed);

    // The installed family that shows `family`.
    QString resolve(const QString& family);
    // Families asked for that were not installed.
    const QSet<QString>& substituted() const { return substituted_; }

    // The stand-ins tried for a family, in order; empty when it has no row.
    static QStringList candidates(const QString& family);

  private:
    QString installedName(const QString& family) const;
    QString lastResort() const;

    QHash<QString, QString> installed_;  // lower-cased name → name as installed
    QHash<QString, QString> cache_;
    QSet<QString> substituted_;
};

}  // namespace tovin
