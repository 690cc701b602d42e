#include "Tovin/platform/RecentDocuments.h"

#include "Tovin/platform/UserDefaults.h"

namespace tovin::RecentDocuments {

namespace {
const QString key = QStringLiteral("recentDocuments");
}

QStringList list() {
    return UserDefaults::value(key).toStringList();
}

void note(const QString& path) {
    QStringList paths = list();
    paths.removeAll(path);
    paths.prepend(path);
    while (paths.size() > limit) paths.removeLast();
    UserDefaults::setValue(key, paths);
}

void clear() {
    UserDefaults::remove(key);
}

}  // namespace tovin::RecentDocuments
