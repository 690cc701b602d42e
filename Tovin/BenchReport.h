// The bench's report: three fixed one-line formats on standard output, flushed after each
// line so that a script reading the pipe sees every figure as soon as it exists. The
// floor program in bench/ prints the same lines, so one parser reads both.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "Tovin/platform/ProcessMetrics.h"

namespace tovin::BenchReport {

// The 50th and 95th percentile and the largest of one tracking phase's latencies.
struct Percentiles {
    int count = 0;
    double p50 = 0;
    double p95 = 0;
    double max = 0;
};
// Element ceil(count × q) − 1 of the sorted list for q = 0.5 and 0.95; zeros when empty.
Percentiles percentiles(std::vector<double> milliseconds);

QString firstPaintLine(int firstPaintMs, int launchToPaintMs, ProcessMetrics::Footprint footprint);
QString phaseLine(const QString& track, const Percentiles& figures);
QString typedLine(int typed, int at, ProcessMetrics::Footprint footprint);

// Prints one line (a newline is added) and flushes.
void print(const QString& line);
// Sends the lines elsewhere (tests); nothing restores standard output.
void setSink(std::function<void(const QString&)> sink);

}  // namespace tovin::BenchReport
