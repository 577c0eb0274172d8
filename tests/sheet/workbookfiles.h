#pragma once
// Workbooks for the reader tests, made the way other programs make them: XML
// parts zipped with libzip. Large sheets are generated while they are
// compressed, so a five-million-row sheet never sits in memory.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace luckdial::sheet::test {

/// Fills buffer with up to size bytes of the part; 0 at its end.
using Producer = std::function<std::size_t(char* buffer, std::size_t size)>;

struct Part {
    std::string name;
    std::string content;   ///< used when produce is empty
    Producer produce = {}; ///< streams the content instead
};

/// Writes the parts as a zip (deflated). Returns false when libzip fails.
bool writeZip(const std::string& path, const std::vector<Part>& parts);

/// The parts of a minimal .xlsx around the given sheets' XML (sheetN.xml),
/// with optional shared strings and styles parts (empty: none).
std::vector<Part> xlsxParts(const std::vector<std::pair<std::string, Part>>& sheets,
                            const std::string& sharedStrings = {}, const std::string& styles = {},
                            const std::string& workbookPr = {});

/// A sheet part's XML around the rows' XML.
std::string sheetXml(const std::string& rows);

/// A producer of a sheet whose row r (1-based, up to count) is row(r).
Producer generatedSheet(std::size_t count, std::function<std::string(std::size_t)> row);

/// The parts of a minimal .ods around content.xml's body (office:spreadsheet's content).
std::vector<Part> odsParts(const std::string& spreadsheetBody);

/// A compound file (the container of .xls) holding the named streams, each
/// padded to at least 4096 bytes so that none lives in the mini stream.
std::string compoundFile(const std::vector<std::pair<std::string, std::string>>& streams);

/// One BIFF8 record: type, length, data.
std::string biffRecord(unsigned type, const std::string& data);

/// The workbook stream of an .xls with one sheet per entry of sheets: its
/// name and its rows of cells, each a number or a text (text as UTF-8,
/// written as UTF-16 in the shared strings). A cell "=n" is the number n.
/// dimensions: the rows and columns each sheet claims (0: its own).
std::string biffWorkbook(
    const std::vector<std::pair<std::string, std::vector<std::vector<std::string>>>>& sheets,
    std::pair<std::uint32_t, std::uint16_t> dimensions = {0, 0});

} // namespace luckdial::sheet::test
