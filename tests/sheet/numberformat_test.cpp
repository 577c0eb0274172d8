// Number cells shown through their format codes, as a user sees them.

#include "sheet/numberformat.h"

#include <gtest/gtest.h>

using namespace luckdial::sheet;

namespace {

struct Case {
    const char* raw;
    const char* code;
    const char* shown;
};

void expectAll(const std::vector<Case>& cases, bool date1904 = false) {
    for (const Case& c : cases)
        EXPECT_EQ(formatNumber(c.raw, c.code, date1904), c.shown)
            << "raw " << c.raw << " code " << c.code;
}

} // namespace

TEST(NumberFormat, GeneralShowsIntegersWholeAndTrimsBinaryNoise) {
    expectAll({{"1001", "", "1001"},
               {"1001.0", "General", "1001"},
               {"0.30000000000000004", "", "0.3"},
               {"1.5E-3", "", "0.0015"},
               {"123456789012345678", "", "123456789012345678"},
               {"1.2345678901234567E+20", "", "1.23457E+20"},
               {"abc", "0.00", "abc"},
               {"", "0", ""}});
    EXPECT_EQ(formatGeneral(-2.5), "-2.5");
    EXPECT_EQ(formatGeneral(1e14), "100000000000000");
}

TEST(NumberFormat, DigitPlaceholdersPadRoundAndGroup) {
    expectAll({{"123", "00000", "00123"},
               {"123456", "00000", "123456"},
               {"3.14159", "0.00", "3.14"},
               {"2.5", "0", "3"},
               {"1.005", "0.00", "1.01"},
               {"9.999", "0.00", "10.00"},
               {"-2.5", "0.0", "-2.5"},
               {"1234567.891", "#,##0.00", "1,234,567.89"},
               {"999", "#,##0", "999"},
               {"0.5", "#.##", ".5"},
               {"0.5", "0.0#", "0.5"},
               {"0.567", "0.0#", "0.57"},
               {"12", "#.00", "12.00"},
               {"1234567", "#,##0,", "1,235"},
               {"1234567", "0.0,,", "1.2"},
               {"5", "0.0?", "5.0 "},
               {"1234567", "000-0000", "123-4567"},
               {"42", "\"No. \"000", "No. 042"},
               {"42", "0\" 号\"", "42 号"},
               {"7", "[$¥-804]#,##0.00", "¥7.00"},
               {"7", "[Red]0_);(0)", "7 "}});
}

TEST(NumberFormat, SectionsPercentAndScientific) {
    expectAll({{"-5", "0;(0)", "(5)"},
               {"0", "0;-0;\"zero\"", "zero"},
               {"5", "0;-0;\"zero\"", "5"},
               {"0.125", "0.0%", "12.5%"},
               {"0.5", "0%", "50%"},
               {"12345", "0.00E+00", "1.23E+04"},
               {"0.000123", "0.00E+00", "1.23E-04"},
               {"12345", "##0.0E+0", "12.3E+3"},
               {"99999", "0.0E+00", "1.0E+05"},
               {"0.75", "# ?/?", "3/4"},
               {"150", "[>100]0.0;0", "150.0"}});
}

TEST(NumberFormat, DatesAndTimes) {
    expectAll({{"45292", "yyyy/m/d", "2024/1/1"},
               {"45292.75", "yyyy-mm-dd hh:mm:ss", "2024-01-01 18:00:00"},
               {"45292.75", "h:mm AM/PM", "6:00 PM"},
               {"45292.25", "上午/下午h\"时\"mm\"分\"", "上午6时00分"},
               {"45337", "yyyy\"年\"m\"月\"d\"日\"", "2024年2月15日"},
               {"45337", "d-mmm-yy", "15-Feb-24"},
               {"45337", "dddd, mmmm d", "Thursday, February 15"},
               {"45337", "aaaa", "星期四"},
               {"1", "yyyy-mm-dd", "1900-01-01"},
               {"60", "yyyy-mm-dd", "1900-02-29"},
               {"61", "yyyy-mm-dd", "1900-03-01"},
               {"1.5", "[h]:mm", "36:00"},
               {"0.000694444", "mm:ss", "01:00"},
               {"0.5000057870", "hh:mm:ss.00", "12:00:00.50"},
               {"-1", "yyyy-mm-dd", "-1"}});
    // The built-in codes as a Chinese-locale sheet shows them.
    EXPECT_EQ(formatNumber("45292", builtinFormatCode(14)), "2024/1/1");
    EXPECT_EQ(formatNumber("45292", builtinFormatCode(31)), "2024年1月1日");
    EXPECT_EQ(formatNumber("0.5", builtinFormatCode(20)), "12:00");
    EXPECT_EQ(builtinFormatCode(0), "");
    EXPECT_EQ(formatNumber("0", "yyyy/m/d", true), "1904/1/1");
}

TEST(NumberFormat, AsTheSpreadsheetProgramShowsThem) {
    expectAll({// General: eleven characters in a standard column, an upper-case E.
               {"1234567.891234", "General", "1234567.891"},
               {"0.000123456789", "", "0.000123457"},
               {"0.00001", "", "1E-05"},
               {"-1.5E+300", "", "-1.5E+300"},
               {"99999999999.7", "", "1E+11"},
               {"12345678901.5", "", "12345678902"},
               // Fractions: nearest within the denominator's digits, or over a fixed one.
               {"1.5", "# ?/?", "1 1/2"},
               {"0.333", "?/?", "1/3"},
               {"3.14159", "# ?\?/?\?", "3 14/99"},
               {"2.625", "# ?/8", "2 5/8"},
               {"0.1", "#/8", "1/8"},
               {"-1.25", "# ?/?", "-1 1/4"},
               {"4", "# ?/?", "4"},
               {"0.999", "# ?/?", "1"},
               // Conditional sections; colours change nothing.
               {"50", "[>100]0.0;0", "50"},
               {"150", "[Red][>=100]\"big \"0;[Blue][<0]\"neg \"0;0.00", "big 150"},
               {"-3", "[Red][>=100]\"big \"0;[Blue][<0]\"neg \"0;0.00", "-neg 3"},
               {"7", "[Red][>=100]\"big \"0;[Blue][<0]\"neg \"0;0.00", "7.00"},
               {"5", "[=1]\"one\";\"other\"", "other"},
               {"1", "[=1]\"one\";\"other\"", "one"},
               // Weekdays of the first serials as the 1900 system counts them.
               {"1", "dddd", "Sunday"},
               {"7", "ddd yyyy-mm-dd", "Sat 1900-01-07"},
               {"59", "aaaa", "星期二"},
               {"60", "dddd", "Wednesday"},
               {"61", "dddd", "Thursday"},
               {"45337", "dddd", "Thursday"}});
    // ISO dates: the serial as the workbook counts days.
    EXPECT_EQ(isoDateSerial("1900-03-01"), 61.0);
    EXPECT_EQ(isoDateSerial("1900-01-01"), 1.0);
    EXPECT_EQ(isoDateSerial("2024-01-01T18:00:00Z"), 45292.75);
    EXPECT_EQ(isoDateSerial("2024-01-01", true), 45292.0 - 1462);
    EXPECT_FALSE(isoDateSerial("2024-13-01"));
    EXPECT_FALSE(isoDateSerial("yesterday"));
    EXPECT_EQ(formatIsoDate("not a date", ""), "not a date");
}
