#include "procstatus.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace luckdial::testing {

long statusKilobytes(const char* field) {
    FILE* f = std::fopen("/proc/self/status", "re");
    if (!f) return 0;
    char line[256];
    long value = 0;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0) value = std::atol(line + n + 1);
    std::fclose(f);
    return value;
}

} // namespace luckdial::testing
