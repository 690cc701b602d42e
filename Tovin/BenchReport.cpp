#include "Tovin/BenchReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tovin::BenchReport {

namespace {

std::function<void(const QString&)>& sink() {
    static std::function<void(const QString&)> installed = [](const QString& line) {
        std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
        std::fflush(stdout);
    };
    return installed;
}

}  // namespace

Percentiles percentiles(std::vector<double> milliseconds) {
    if (milliseconds.empty()) return {};
    std::sort(milliseconds.begin(), milliseconds.end());
    const auto count = milliseconds.size();
    auto rank = [count](double q) {
        const auto index = static_cast<size_t>(std::ceil(double(count) * q)) - 1;
        return std::min(index, count - 1);
    };
    return {static_cast<int>(count), milliseconds[rank(0.5)], milliseconds[rank(0.95)], milliseconds.back()};
}

QString firstPaintLine(int firstPaintMs, int launchToPaintMs, ProcessMetrics::Footprint footprint) {
    return QString::asprintf(
        "TOVIN_BENCH first_paint_ms=%d launch_to_paint_ms=%d footprint_mb=%.1f "
        "peak_footprint_mb=%.1f",
        firstPaintMs, launchToPaintMs, footprint.now, footprint.peak);
}

QString phaseLine(const QString& track, const Percentiles& figures) {
    return QString::asprintf("TOVIN_BENCH_TYPE track=%s n=%d p50_ms=%.2f p95_ms=%.2f max_ms=%.2f",
                             qPrintable(track), figures.count, figures.p50, figures.p95, figures.max);
}

QString typedLine(int typed, int at, ProcessMetrics::Footprint footprint) {
    return QString::asprintf("TOVIN_BENCH_TYPE typed=%d at=%d footprint_mb=%.1f peak_footprint_mb=%.1f",
                             typed, at, footprint.now, footprint.peak);
}

void print(const QString& line) {
    sink()(line);
}

void setSink(std::function<void(const QString&)> replacement) {
    sink() = std::move(replacement);
}

}  // namespace tovin::BenchReport
