#pragma once
// Memory figures of this process for the benchmarks.

namespace luckdial::testing {

/// A kilobyte field of /proc/self/status ("VmHWM", "VmRSS"...); 0 when absent.
long statusKilobytes(const char* field);

} // namespace luckdial::testing
