#pragma once
// A number cell of a workbook as the sheet shows it. Workbooks store numbers
// as plain decimal text ("1001", "0.30000000000000004", "45292") and a format
// code per cell ("00000", "0.00", "yyyy/m/d"); the text a user sees is the
// number put through that code. The codes people use for staff numbers,
// amounts, percentages, fractions, dates and times are followed, conditional
// sections included; colours and fill characters change nothing in text.

#include <optional>
#include <string>
#include <string_view>

namespace luckdial::sheet {

/// The code of a built-in format number, as a Chinese-locale spreadsheet shows
/// it; empty for the general form and for numbers it does not know.
std::string builtinFormatCode(int id);

/// The general form: integers in full up to 15 digits ("1001", not
/// "1001.0"); other numbers as a standard-width column shows them, in
/// eleven characters besides the sign ("0.3", "3.141592654", "1.23457E+20").
std::string formatGeneral(double value);

/// The serial number of an ISO 8601 date and time ("2021-01-01T10:10:10",
/// "2021-01-01", "10:10:10"), counted as the workbook counts days; nothing
/// when the text is not one.
std::optional<double> isoDateSerial(std::string_view iso, bool date1904 = false);

/// An ISO date cell as shown: through its code when the code is a date or
/// time, else as "yyyy/m/d", with the time when it has one.
std::string formatIsoDate(std::string_view iso, std::string_view code, bool date1904 = false);

/// raw: the stored number text. date1904: the workbook counts days from 1904.
/// Text that is not a number comes back as it is.
std::string formatNumber(std::string_view raw, std::string_view code, bool date1904 = false);

} // namespace luckdial::sheet
