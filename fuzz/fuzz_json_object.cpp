// Any bytes as a link reply: parse and narrow the way link resolution does,
// then read and edit through paths taken from the input.

#include "data/JsonObject.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

using quorvo::Text;
using quorvo::data::JsonObject;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Text text = Text::fromBytes(bytes);

    JsonObject json;
    if (json.parse(text)) {
        JsonObject narrowed;
        if (narrowed.parse(json.getItem(0, "", true)) && narrowed.parse(narrowed.getItem(0, "file_list", true))) {
            static_cast<void>(narrowed.getText("url"));
            static_cast<void>(narrowed.getNumber("size"));
        }
        static_cast<void>(json.toText());
        static_cast<void>(json.keys());
        static_cast<void>(json.length());
        static_cast<void>(json.typeOf());
    }

    // Each line after the first NUL-free prefix doubles as a path and a value.
    std::size_t start = 0;
    for (int tries = 0; tries < 8 && start < text.size(); ++tries) {
        const std::size_t end = std::min(text.str().find('\n', start), text.size());
        const Text line(text.view().substr(start, std::min<std::size_t>(end - start, 256)));
        start = end + 1;
        static_cast<void>(json.getText(line));
        static_cast<void>(json.getText(line, true));
        static_cast<void>(json.getJson(line));
        static_cast<void>(json.getNumber(line));
        static_cast<void>(json.has(line));
        static_cast<void>(json.typeOf(line));
        static_cast<void>(json.keys(line));
        static_cast<void>(json.getObject(line).toText());
        static_cast<void>(json.getItem(tries, line, true));
        json.setText(line, line);
        json.setJson(line, line);
        json.setNumber(line, static_cast<double>(line.size()) / 3);
        json.push(line, line, (tries & 1) != 0);
        json.setItem(tries, line, (tries & 1) != 0);
        json.removeItem(tries - 2);
        static_cast<void>(json.assign(line, (tries & 2) != 0));
    }
    static_cast<void>(json.toText());
    return 0;
}
