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
