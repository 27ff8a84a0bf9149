#include "runtime/Encoding.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace quorvo::encoding {

namespace {

// One iconv descriptor per direction and thread: iconv_open is costly and a
// descriptor carries shift state, so it must not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from)
        : m_handle(iconv_open(to, from))
    { }
    ~Converter()
    {
        if (m_handle != invalidHandle())
            iconv_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string convert(std::string_view input) const
    {
        std::string out;
        if (input.empty())
            return out;
        if (m_handle == invalidHandle())
            return std::string(input);
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        out.reserve(input.size() * 2);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(m_handle, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, sizeof buffer - outLeft);
            if (result != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (truncated sequence at the end): skip one byte.
            out += '?';
            ++in;
            --inLeft;
        }
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(m_handle, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        return out;
    }

private:
    static iconv_t invalidHandle() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t m_handle;
};

}  // namespace

std::string toUtf8(std::string_view programText)
{
    thread_local const Converter converter("UTF-8", "GB18030");
    return converter.convert(programText);
}

Text fromUtf8(std::string_view utf8)
{
    thread_local const Converter converter("GB18030", "UTF-8");
    return Text(converter.convert(utf8));
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    while (i < bytes.size()) {
        const unsigned char lead = at(i);
        std::size_t length = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((at(i + k) & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (at(i + k) & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))
            || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

}  // namespace quorvo::encoding
