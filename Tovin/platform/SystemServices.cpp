#include "Tovin/platform/SystemServices.h"

#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

namespace tovin::SystemServices {

QString fullUserName() {
    const passwd* entry = ::getpwuid(::getuid());
    if (entry == nullptr) return QStringLiteral("Unknown");
    // GECOS is "Full Name,Room,Work phone,Home phone,Other"; only the name matters.
    const QString gecos = QString::fromLocal8Bit(entry->pw_gecos ? entry->pw_gecos : "");
    const QString name = gecos.section(QLatin1Char(','), 0, 0).trimmed();
    return name.isEmpty() ? QString::fromLocal8Bit(entry->pw_name) : name;
}

QString stateDirectory() {
    // Qt 6.4 has no StateLocation; the XDG base directory rule is applied here.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.local/state";
    return base + "/tovin";
}

QString runtimeDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

void beep() {
    QApplication::beep();
}

}  // namespace tovin::SystemServices
