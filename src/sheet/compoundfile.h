#pragma once
// The compound file (OLE) container of an .xls, read just far enough to
// stream one of its streams: the header, the allocation tables and the
// directory. Every chain is followed under a count, so a broken or hostile
// container cannot loop or reach outside the file.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace luckdial::sheet {

/// Streams the first stream whose name is one of the names (ASCII, any
/// case) to sink in pieces; the sink returns false to stop early. False
/// when the file is no sound compound file or has no such stream.
bool readCompoundStream(const std::string& path, std::initializer_list<std::string_view> names,
                        const std::function<bool(std::string_view)>& sink);

} // namespace luckdial::sheet
