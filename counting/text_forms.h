#pragma once

#include <cstdint>
#include <string>

// How counts and frequencies are written on screen, and through the screen in
// the report.

// Plain decimal digits, never grouped, whatever the locale: "2100000000".
std::string countText(std::int64_t count);

// A byte value as two upper-case hexadecimal digits: "00", "0A", "FF".
std::string hexText(int code);

// The exact value of the 32-bit float rounded to 4 decimals, ties to the even
// digit, written with as few digits as it needs: "0.1235", "0.25", "1", "0".
// decimalPoint is the separator (UTF-8), see separatorForAsciiDigits. Never
// an exponent.
std::string frequencyText(float value, const std::string& decimalPoint);

// The decimal separator to write between ASCII digits in a locale whose
// separator and zero digit are these (UTF-8): the locale's own where its
// digits are ASCII ("," in de_DE), else "." (ar_EG, fa_IR), since a
// separator of another script between ASCII digits is read by nobody.
std::string separatorForAsciiDigits(const std::string& localeDecimalPoint,
                                    const std::string& localeZeroDigit);
