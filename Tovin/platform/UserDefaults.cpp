#include "Tovin/platform/UserDefaults.h"

namespace tovin {

namespace {

QVariantMap& registered() {
    static QVariantMap defaults;
    return defaults;
}

}  // namespace

QSettings& UserDefaults::settings() {
    static QSettings store(QSettings::IniFormat, QSettings::UserScope, "Tovin", "Tovin");
    return store;
}

void UserDefaults::registerDefaults(const QVariantMap& defaults) {
    for (auto it = defaults.begin(); it != defaults.end(); ++it) registered().insert(it.key(), it.value());
}

QVariant UserDefaults::value(const QString& key) {
    QVariant stored = settings().value(key);
    return stored.isValid() ? stored : registered().value(key);
}

QString UserDefaults::string(const QString& key) {
    return value(key).toString();
}

bool UserDefaults::boolean(const QString& key) {
    return value(key).toBool();
}

void UserDefaults::setValue(const QString& key, const QVariant& value) {
    settings().setValue(key, value);
}

void UserDefaults::remove(const QString& key) {
    settings().remove(key);
}

}  // namespace tovin
