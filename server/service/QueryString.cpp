#include "service/QueryString.h"

namespace quorvo::server {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string percentDecode(std::string_view text, bool plusIsBlank)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else if (c == '+' && plusIsBlank) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> parseQuery(std::string_view rawQuery)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    while (!rawQuery.empty()) {
        const auto amp = rawQuery.find('&');
        const std::string_view item = rawQuery.substr(0, amp);
        if (!item.empty()) {
            const auto equals = item.find('=');
            if (equals == std::string_view::npos)
                pairs.emplace_back(percentDecode(item, true), std::string());
            else
                pairs.emplace_back(percentDecode(item.substr(0, equals), true),
                                   percentDecode(item.substr(equals + 1), true));
        }
        if (amp == std::string_view::npos)
            break;
        rawQuery.remove_prefix(amp + 1);
    }
    return pairs;
}

std::optional<std::string> queryValue(const std::vector<std::pair<std::string, std::string>>& query,
                                      std::string_view name)
{
    for (const auto& [key, value] : query) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

bool isValidGb18030(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = at(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead == 0x80 || lead == 0xFF || i + 1 >= bytes.size())
            return false;
        const unsigned char second = at(i + 1);
        if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE)) {
            i += 2;
            continue;
        }
        if (second >= 0x30 && second <= 0x39 && i + 3 < bytes.size() && at(i + 2) >= 0x81 && at(i + 2) <= 0xFE
            && at(i + 3) >= 0x30 && at(i + 3) <= 0x39) {
            i += 4;
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace quorvo::server
