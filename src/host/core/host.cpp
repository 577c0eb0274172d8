#include "host/host.h"

namespace luckdial {

std::string Host::path(std::string_view name) const {
    std::string p = programDir();
    p += '\\';
    p += name;
    return p;
}

} // namespace luckdial
