#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelm {

// The user's regional number settings.  They are process-wide: the program entry sets
// them once from the user's locale; tests set them explicitly.  Number text never goes
// through the C library's locale, which Qt changes behind our back.
struct NumberFormat {
    char decimalSeparator = ',';
    // Kept as UTF-8 text, since it is only ever shown (e.g. a no-break space).
    std::string thousandSeparator = "\xC2\xA0";
};

NumberFormat& GlobalNumberFormat();
inline char DecimalSeparator() { return GlobalNumberFormat().decimalSeparator; }

// Number to text: rounded to 15 significant digits, shortest form, no thousands
// separators; fixed notation when 0.0001 <= |value| < 1e15 after rounding, otherwise
// "d,dddE-x" scientific notation.  Uses the global decimal separator.
std::string FloatToStr(double value);
std::string FloatToStr(double value, char decimalSeparator);

// Text to number.  Blanks (spaces) at both ends are skipped, then an optional sign,
// digits, optionally the separator and more digits, optionally "E"/"e", a sign and
// digits.  A text of only the separator and blanks reads as 0.  Anything else throws
// ConvertError "'<text>' is not a valid floating point value".  Correctly rounded.
double StrToFloat(std::string_view text);
double StrToFloat(std::string_view text, char decimalSeparator);
// As above, but either "," or "." serves as the decimal separator; for files that may
// have been written under another regional setting.
double StrToFloatAnySeparator(std::string_view text);
std::optional<double> TryStrToFloat(std::string_view text, char decimalSeparator);
// A number the user typed or pasted into a field: a decimal comma or point whatever the
// user's settings (a spreadsheet or the numeric keypad may give either, but not both), and
// blanks anywhere ignored (the space, the tab, the no-break, thin and narrow no-break spaces
// that spreadsheets put between digit groups).  Nothing when it is not a finite number.
std::optional<double> ReadTypedNumber(std::string_view text);

// Integer text to number: leading spaces, an optional sign, decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X"; nothing after them; within the signed 32-bit
// range.  StrToInt throws ConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);
std::optional<std::int32_t> TryStrToInt(std::string_view text);
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);

// Decimal text of an integer ("-" when negative, no plus sign, no leading zeros).
std::string IntToStr(std::int64_t value);

// The "#,##0" format: rounded to a whole number (half away from zero), grouped in
// thousands with the given separator.
std::string FormatGrouped(double value, std::string_view thousandSeparator);
std::string FormatGrouped(double value);

// Fixed notation with `decimals` digits (0 to 15) after the user's decimal separator,
// correctly rounded, the whole part grouped in thousands with the given separator (an
// empty one groups nothing).  Where |value| >= 1e15, or the value is not finite, the text
// is FloatToStr's ("1,72307692307692E62"): a number however large, never a cut one.
std::string FormatFixed(double value, int decimals, std::string_view thousandSeparator);

}  // namespace kelm
