// What the kernel says about this process: its resident memory now and at its peak, and
// when it started, for the bench figures. Read from /proc; a failed read gives zeros.
#pragma once

namespace tovin::ProcessMetrics {

// Resident set size now (VmRSS) and its lifetime peak (VmHWM), in megabytes of 10^6 bytes.
struct Footprint {
    double now = 0;
    double peak = 0;
};
Footprint footprint();

// The system's uptime in seconds (/proc/uptime); 0 when unreadable.
double uptime();

// When this process started, in seconds of uptime (/proc/self/stat field 22, in clock
// ticks since boot); 0 when unreadable.
double processStart();

}  // namespace tovin::ProcessMetrics
