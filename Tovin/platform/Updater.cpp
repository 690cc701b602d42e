#include "Tovin/platform/Updater.h"

#include <QDesktopServices>

#include "Tovin/platform/UserDefaults.h"

namespace tovin {

namespace {
const QString automaticChecksKey = QStringLiteral("checksForUpdatesAutomatically");
}

Updater::Updater(QUrl feed, QObject* parent) : QObject(parent), feed_(std::move(feed)) {}

bool Updater::canCheckForUpdates() const {
    return feed_.isValid() && !feed_.isEmpty();
}

bool Updater::automaticallyChecksForUpdates() const {
    return UserDefaults::boolean(automaticChecksKey);
}

void Updater::setAutomaticallyChecksForUpdates(bool checks) {
    UserDefaults::setValue(automaticChecksKey, checks);
}

void Updater::checkForUpdates() {
    // With a feed, the release page is where a Linux user gets the new version.
    if (canCheckForUpdates()) QDesktopServices::openUrl(feed_);
}

}  // namespace tovin
