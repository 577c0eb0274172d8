#pragma once
// The readers behind listSheets and readSheet, one per kind of file.

#include "sheet/sheet.h"

#include <QStringView>
#include <QXmlStreamReader>

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

/// The value of the attribute with this local name; empty when missing.
QStringView attribute(const QXmlStreamAttributes& attributes, QStringView name);

/// Damaged for a document that does not parse, or the device's own reason
/// when reading it stopped first.
ReadError xmlError(const QXmlStreamReader& xml, ReadError deviceStatus);

} // namespace luckdial::sheet
