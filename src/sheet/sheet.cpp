#include "sheet/readers.h"

#include <algorithm>

namespace luckdial::sheet {

namespace {

enum class Kind { Xlsx, Ods, Csv, Txt, Unknown };

Kind kindOf(const std::string& path) {
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return Kind::Unknown;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "xlsx") return Kind::Xlsx;
    if (ext == "ods") return Kind::Ods;
    if (ext == "csv") return Kind::Csv;
    if (ext == "txt") return Kind::Txt;
    return Kind::Unknown;
}

} // namespace

SheetList listSheets(const std::string& path, const ReadLimits& limits) {
    switch (kindOf(path)) {
    case Kind::Xlsx:
        return listXlsx(path, limits);
    case Kind::Ods:
        return listOds(path, limits);
    case Kind::Csv:
    case Kind::Txt:
        return listDelimited(path, limits);
    case Kind::Unknown:
        break;
    }
    return {ReadError::NotSpreadsheet, {}};
}

Table readSheet(const std::string& path, std::size_t index, const ReadLimits& limits) {
    switch (kindOf(path)) {
    case Kind::Xlsx:
        return readXlsx(path, index, limits);
    case Kind::Ods:
        return readOds(path, index, limits);
    case Kind::Csv:
    case Kind::Txt:
        if (index == 0) return readDelimited(path, kindOf(path) == Kind::Csv ? ',' : '\t', limits);
        break;
    case Kind::Unknown:
        break;
    }
    Table t;
    t.error = ReadError::NotSpreadsheet;
    return t;
}

} // namespace luckdial::sheet
