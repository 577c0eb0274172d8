#pragma once
// Collects a sheet's cells into rows under the read limits. Readers hand it
// cells by position; rows and cells they skip come out empty, trailing empty
// cells and rows are dropped, and nothing is allocated for empty rows until a
// row with text follows them (a sheet that ends in a million styled but
// empty rows costs nothing).

#include "sheet/sheet.h"

#include <string_view>

namespace luckdial::sheet {

/// Marks the table failed with e (when e is an error); a failed read keeps no rows
/// and gives their memory back.
void failTable(Table& table, ReadError e);

/// The characters of UTF-8 text as a spreadsheet counts them (UTF-16 code
/// units: a character outside the basic plane counts twice).
std::size_t cellChars(std::string_view text);

class TableBuilder {
public:
    /// Columns past this are a broken file, not a wide sheet.
    static constexpr std::size_t kMaxColumns = 16384;

    /// reserved: memory the read already holds against maxTableBytes (the
    /// shared strings of a workbook).
    TableBuilder(std::vector<Row>& rows, const ReadLimits& limits, std::uint64_t reserved = 0);

    /// Starts the row at the 0-based index, or the one after the last when it
    /// is not past it. False once an error is set.
    bool beginRow(std::size_t index);
    bool beginRow() { return beginRow(next_); }
    /// Sets the cell at the 0-based column of the current row, or the one
    /// after the last cell when it is not past it. Empty text adds nothing;
    /// text over maxCellChars makes the table Damaged.
    bool addCell(std::size_t column, std::string text);
    bool addCell(std::string text) { return addCell(column_, std::move(text)); }
    /// Ends the row; repeat copies it to that many rows in all (a repeated
    /// empty row costs nothing). A cancelled read fails here with Cancelled.
    bool endRow(std::size_t repeat = 1);

    ReadError error() const { return error_; }
    void fail(ReadError e) {
        if (error_ == ReadError::None) error_ = e;
    }

    /// Memory a cell of this text holds beside its row's slot.
    static std::uint64_t cellCost(const std::string& text);

private:
    std::uint64_t cost(const Row& row) const;

    std::vector<Row>& rows_;
    ReadLimits limits_;
    Row current_;
    std::size_t index_ = 0;  ///< the current row's index
    std::size_t next_ = 0;   ///< the index of the row after the last one ended
    std::size_t column_ = 0; ///< the column after the last cell set
    std::size_t width_ = 0;  ///< cells of the last row with text
    std::uint64_t bytes_ = 0;
    std::uint64_t rowBytes_ = 0; ///< the current row's cells so far
    std::uint64_t ended_ = 0;    ///< rows ended, to look at a cancel now and then
    ReadError error_ = ReadError::None;
};

} // namespace luckdial::sheet
