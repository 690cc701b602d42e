#include "Tovin/platform/ProcessMetrics.h"

#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QList>

namespace tovin::ProcessMetrics {

namespace {

QByteArray readProc(const char* path) {
    QFile file(QString::fromLatin1(path));
    // /proc files report a size of 0, so they are read to the end rather than by size.
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// "VmRSS:     123456 kB" as bytes.
double kilobytesField(const QByteArray& status, const QByteArray& name) {
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith(name + ':')) continue;
        const QList<QByteArray> fields = line.mid(name.size() + 1).simplified().split(' ');
        bool ok = false;
        const double kilobytes = fields.value(0).toDouble(&ok);
        return ok ? kilobytes * 1024 : 0;
    }
    return 0;
}

}  // namespace

Footprint footprint() {
    const QByteArray status = readProc("/proc/self/status");
    return {kilobytesField(status, "VmRSS") / 1e6, kilobytesField(status, "VmHWM") / 1e6};
}

double uptime() {
    bool ok = false;
    const double seconds = readProc("/proc/uptime").split(' ').value(0).toDouble(&ok);
    return ok ? seconds : 0;
}

double processStart() {
    // The command name (field 2) is in parentheses and may hold spaces, so fields are
    // counted from the last ')': field 3 follows it, and the start time is field 22.
    const QByteArray stat = readProc("/proc/self/stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0) return 0;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    constexpr int startTimeField = 22 - 3;
    bool ok = false;
    const double ticks = fields.value(startTimeField).toDouble(&ok);
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    return ok && ticksPerSecond > 0 ? ticks / double(ticksPerSecond) : 0;
}

}  // namespace tovin::ProcessMetrics
