#pragma once
// The readers behind listSheets and readSheet, one per kind of file.

#include "sheet/sheet.h"

namespace luckdial::sheet {

SheetList listXlsx(const std::string& path, const ReadLimits& limits);
Table readXlsx(const std::string& path, std::size_t index, const ReadLimits& limits);

SheetList listOds(const std::string& path, const ReadLimits& limits);
Table readOds(const std::string& path, std::size_t index, const ReadLimits& limits);

/// A text file of rows: separator ',' with double-quote quoting (.csv) or
/// '\t' without quoting (.txt).
Table readDelimited(const std::string& path, char separator, const ReadLimits& limits);
/// The one sheet of a text file, named after the file, once it opens and is
/// within the size limit.
SheetList listDelimited(const std::string& path, const ReadLimits& limits);

} // namespace luckdial::sheet
