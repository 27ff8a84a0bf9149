#include "app/cli/Printable.h"

namespace quorvo::cli {

namespace {

void appendHex(std::string& out, unsigned value)
{
    constexpr std::string_view hexDigits = "0123456789ABCDEF";
    out += hexDigits[(value >> 4) & 0xF];
    out += hexDigits[value & 0xF];
}

}  // namespace

std::string printable(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            appendHex(out, byte);
        } else if (byte == 0xC2 && at + 1 < utf8.size() && static_cast<unsigned char>(utf8[at + 1]) >= 0x80
                   && static_cast<unsigned char>(utf8[at + 1]) <= 0x9F) {
            out += "\\u00";
            appendHex(out, static_cast<unsigned char>(utf8[at + 1]));
            ++at;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

}  // namespace quorvo::cli
