#pragma once
// A number cell of a workbook as the sheet shows it. Workbooks store numbers
// as plain decimal text ("1001", "0.30000000000000004", "45292") and a format
// code per cell ("00000", "0.00", "yyyy/m/d"); the text a user sees is the
// number put through that code. The simple codes people use for staff
// numbers, amounts, percentages, dates and times are followed; anything more
// elaborate (fractions, conditions) falls back to the general form.

#include <string>
#include <string_view>

namespace luckdial::sheet {

/// The code of a built-in format number, as a Chinese-locale spreadsheet shows
/// it; empty for the general form and for numbers it does not know.
std::string builtinFormatCode(int id);

/// The general form: integers in full up to 15 digits ("1001", not
/// "1001.0"), other numbers with up to 15 significant digits.
std::string formatGeneral(double value);

/// raw: the stored number text. date1904: the workbook counts days from 1904.
/// Text that is not a number comes back as it is.
std::string formatNumber(std::string_view raw, std::string_view code, bool date1904 = false);

} // namespace luckdial::sheet
