// The user's settings with registered defaults: a key the user never set answers the
// value registered at launch, and nothing registered is written to the settings file.
#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace tovin {

class UserDefaults {
  public:
    // The settings of organisation and application "Tovin" (~/.config/Tovin/Tovin.conf).
    static QSettings& settings();

    // Values answered for keys the user has not set; later registrations win.
    static void registerDefaults(const QVariantMap& defaults);

    static QVariant value(const QString& key);
    static QString string(const QString& key);
    static bool boolean(const QString& key);
    static void setValue(const QString& key, const QVariant& value);
    static void remove(const QString& key);
};

}  // namespace tovin
