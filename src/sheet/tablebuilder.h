#pragma once
// Collects a sheet's cells into rows under the read limits. Readers hand it
// cells by position; rows and cells they skip come out empty, trailing empty
// cells and rows are dropped, and nothing is allocated for empty rows until a
// row with text follows them (a sheet that ends in a million styled but
// empty rows costs nothing).

#include "sheet/sheet.h"

namespace luckdial::sheet {

/// Marks the table failed with e (when e is an error); a failed read keeps no rows
/// and gives their memory back.
void failTable(Table& table, ReadError e);

class TableBuilder {
public:
    /// Columns past this are a broken file, not a wide sheet.
    static constexpr std::size_t kMaxColumns = 16384;

    TableBuilder(std::vector<Row>& rows, const ReadLimits& limits);

    /// Starts the row at the 0-based index, or the one after the last when it
    /// is not past it. False once an error is set.
    bool beginRow(std::size_t index);
    bool beginRow() { return beginRow(next_); }
    /// Sets the cell at the 0-based column of the current row, or the one
    /// after the last cell when it is not past it. Empty text adds nothing.
    bool addCell(std::size_t column, std::string text);
    bool addCell(std::string text) { return addCell(column_, std::move(text)); }
    /// Ends the row; repeat copies it to that many rows in all (a repeated
    /// empty row costs nothing).
    bool endRow(std::size_t repeat = 1);

    ReadError error() const { return error_; }
    void fail(ReadError e) {
        if (error_ == ReadError::None) error_ = e;
    }

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
    ReadError error_ = ReadError::None;
};

} // namespace luckdial::sheet
