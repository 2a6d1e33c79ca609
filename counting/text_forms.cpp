#include "text_forms.h"

#include <cmath>
#include <cstdint>

namespace {

// value * 10000 rounded half-even, computed exactly: a float is m * 2^e with
// a 24-bit m, so m * 10000 fits 64 bits and the shift is exact. Rounding the
// decimal text of a double instead would round 0.03125 up to 0.0313.
std::uint64_t tenThousandths(float value)
{
    int exponent = 0;
    const float fraction = std::frexp(value, &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 24));
    const int shift = 24 - exponent; // value = mantissa / 2^shift
    const std::uint64_t scaled = mantissa * 10000u;
    if (shift <= 0)
        return scaled << -shift;
    if (shift >= 64)
        return 0; // below 2^-40: far under half of 0.0001
    const std::uint64_t quotient = scaled >> shift;
    const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1)))
        return quotient + 1;
    return quotient;
}

} // namespace

std::string countText(std::int64_t count)
{
    return std::to_string(count);
}

std::string hexText(int code)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(code >> 4) & 0xF], kDigits[code & 0xF]};
}

std::string frequencyText(float value, const std::string& decimalPoint)
{
    if (!(value > 0.0f) || !std::isfinite(value))
        return "0";
    const std::uint64_t units = tenThousandths(value);
    std::string text = std::to_string(units / 10000);
    std::string decimals = std::to_string(10000 + units % 10000).substr(1);
    while (!decimals.empty() && decimals.back() == '0')
        decimals.pop_back();
    if (!decimals.empty())
        text += decimalPoint + decimals;
    return text;
}

std::string separatorForAsciiDigits(const std::string& localeDecimalPoint,
                                    const std::string& localeZeroDigit)
{
    return localeZeroDigit == "0" ? localeDecimalPoint : ".";
}
