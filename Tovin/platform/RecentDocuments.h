// The files listed under "Open Recent": most recent first, at most ten, kept in the
// user's settings.
#pragma once

#include <QStringList>

namespace tovin::RecentDocuments {

constexpr int limit = 10;

QStringList list();
void note(const QString& path);
void clear();

}  // namespace tovin::RecentDocuments
