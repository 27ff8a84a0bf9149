#include "runtime/Numbers.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace quorvo::numbers {

namespace {

constexpr int64_t largestInteger = std::numeric_limits<int64_t>::max();
constexpr int64_t smallestInteger = std::numeric_limits<int64_t>::min();

// Decimal digit at `offset`: ASCII or full-width. Returns -1 and width 0 otherwise.
int digitAt(std::string_view text, std::size_t offset, std::size_t& width)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (offset < text.size() && byte(offset) >= '0' && byte(offset) <= '9') {
        width = 1;
        return byte(offset) - '0';
    }
    if (offset + 1 < text.size() && byte(offset) == 0xA3 && byte(offset + 1) >= 0xB0 && byte(offset + 1) <= 0xB9) {
        width = 2;
        return byte(offset + 1) - 0xB0;
    }
    width = 0;
    return -1;
}

}  // namespace

int64_t toInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so that the int64 minimum fits.
    int64_t value = 0;
    bool overflow = false;
    std::size_t width = 0;
    for (int digit = digitAt(text, i, width); digit >= 0; digit = digitAt(text, i, width)) {
        i += width;
        if (overflow)
            continue;
        if (value < (smallestInteger + digit) / 10) {
            overflow = true;
            continue;
        }
        value = value * 10 - digit;
    }
    if (overflow)
        return negative ? smallestInteger : largestInteger;
    if (negative)
        return value;
    return value == smallestInteger ? largestInteger : -value;
}

Text fromInteger(int64_t value)
{
    return Text(std::to_string(value));
}

Text fromReal(double value)
{
    if (std::isnan(value))
        return Text("0");
    if (std::isinf(value))
        return Text(value > 0 ? "inf" : "-inf");
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    std::string out(buffer);
    if (out.find('.') != std::string::npos) {
        while (!out.empty() && out.back() == '0')
            out.pop_back();
        if (!out.empty() && out.back() == '.')
            out.pop_back();
    }
    if (out == "-0")
        out = "0";
    return Text(out);
}

int64_t truncateToInteger(double value)
{
    if (std::isnan(value))
        return 0;
    const double truncated = std::trunc(value);
    if (truncated >= 9223372036854775807.0)
        return largestInteger;
    if (truncated <= -9223372036854775808.0)
        return smallestInteger;
    return static_cast<int64_t>(truncated);
}

double roundHalfUp(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::floor(value * scale + 0.5) / scale;
}

}  // namespace quorvo::numbers
