#pragma once
// The readers behind listSheets and readSheet, one per kind of file.

#include "sheet/sheet.h"

namespace luckdial::sheet {

class ZipArchive;

/// The kind of workbook a zip holds: an Office Open XML workbook, an
/// OpenDocument spreadsheet, or why it is neither.
enum class ZipKind { Xlsx, Ods, Other };
ZipKind zipKind(const ZipArchive& zip, ReadError& why);

SheetList listXlsx(const ZipArchive& zip);
Table readXlsx(const ZipArchive& zip, std::size_t index);

SheetList listOds(const ZipArchive& zip);
Table readOds(const ZipArchive& zip, std::size_t index);

/// A compound file: a legacy .xls workbook (Excel 97-2003), read whole by
/// libfreexl, or an encrypted workbook, which Office keeps in the same
/// container (PasswordProtected).
SheetList listXls(const std::string& path, const ReadLimits& limits);
Table readXls(const std::string& path, std::size_t index, const ReadLimits& limits);

/// A text file of rows: separator ',' with double-quote quoting (.csv) or
/// '\t' without quoting (.txt).
Table readDelimited(const std::string& path, char separator, const ReadLimits& limits);
/// The one sheet of a text file, named after the file, once it opens and is
/// within the size limit.
SheetList listDelimited(const std::string& path, const ReadLimits& limits);

} // namespace luckdial::sheet
