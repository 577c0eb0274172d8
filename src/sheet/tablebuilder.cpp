#include "sheet/tablebuilder.h"

#include <algorithm>
#include <cstdint>

namespace luckdial::sheet {

void failTable(Table& table, ReadError e) {
    if (e == ReadError::None) return;
    table.error = e;
    table.rows.clear();
    table.rows.shrink_to_fit();
}

std::size_t cellChars(std::string_view text) {
    std::size_t n = 0;
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80) ++n;
        if (c >= 0xF0) ++n;
    }
    return n;
}

TableBuilder::TableBuilder(std::vector<Row>& rows, const ReadLimits& limits, std::uint64_t reserved)
    : rows_(rows), limits_(limits), bytes_(reserved) {
    if (bytes_ > limits_.maxTableBytes) fail(ReadError::TooLarge);
}

std::uint64_t TableBuilder::cellCost(const std::string& text) {
    // Past the short-string buffer, a block of its own with the allocator's
    // header.
    return sizeof(std::string) + (text.size() > 15 ? text.size() + 1 + 16 : 0);
}

bool TableBuilder::beginRow(std::size_t index) {
    if (error_ != ReadError::None) return false;
    index_ = std::max(index, next_);
    current_.clear();
    // Rows of a sheet are mostly as wide as the one before: one allocation.
    current_.reserve(width_);
    column_ = 0;
    rowBytes_ = 0;
    return true;
}

bool TableBuilder::addCell(std::size_t column, std::string text) {
    if (error_ != ReadError::None) return false;
    column = std::max(column, column_);
    if (column >= kMaxColumns) {
        fail(ReadError::Damaged);
        return false;
    }
    column_ = column + 1;
    if (text.empty()) return true;
    if (text.size() > limits_.maxCellChars && cellChars(text) > limits_.maxCellChars) {
        fail(ReadError::Damaged);
        return false;
    }
    // A row of thousands of long cells must not pass the limit before it ends.
    rowBytes_ += cellCost(text) + (column - current_.size()) * sizeof(std::string);
    if (bytes_ + rowBytes_ > limits_.maxTableBytes) {
        fail(ReadError::TooLarge);
        return false;
    }
    if (current_.size() < column) current_.resize(column);
    current_.push_back(std::move(text));
    return true;
}

std::uint64_t TableBuilder::cost(const Row& row) const {
    // The row's slot twice: the table's vector grows by doubling.
    std::uint64_t bytes = 2 * sizeof(Row) + row.capacity() * sizeof(std::string) + 16;
    for (const std::string& cell : row)
        if (cell.capacity() > 15) bytes += cell.capacity() + 1 + 16; // past the short-string buffer
    return bytes;
}

bool TableBuilder::endRow(std::size_t repeat) {
    if (error_ != ReadError::None) return false;
    if (limits_.progress && (++ended_ & 1023) == 0 &&
        limits_.progress->cancel.load(std::memory_order_relaxed)) {
        fail(ReadError::Cancelled);
        return false;
    }
    // A repeat count comes from the file: saturate rather than wrap.
    next_ = repeat > SIZE_MAX - index_ ? SIZE_MAX : index_ + repeat;
    if (current_.empty() || repeat == 0) return true;
    // Rows up to the last one with text must fit the row limit.
    if (next_ > limits_.maxRows) {
        fail(ReadError::TooManyRows);
        return false;
    }
    width_ = current_.size();
    current_.shrink_to_fit();
    std::uint64_t each = cost(current_);
    std::uint64_t gap = (index_ - rows_.size()) * 2 * sizeof(Row);
    if (bytes_ + gap + each * repeat > limits_.maxTableBytes ||
        (repeat > 0 && each > (limits_.maxTableBytes / repeat))) {
        fail(ReadError::TooLarge);
        return false;
    }
    bytes_ += gap + each * repeat;
    rows_.resize(index_);
    for (std::size_t i = 1; i < repeat; ++i)
        rows_.push_back(current_);
    rows_.push_back(std::move(current_));
    current_ = Row();
    return true;
}

} // namespace luckdial::sheet
