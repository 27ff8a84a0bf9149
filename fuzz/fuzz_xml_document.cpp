// Any bytes as a search reply: load (all option combinations), read the way
// the search does, query paths taken from the input, edit and write back.

#include "data/XmlDocument.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

using quorvo::Bytes;
using quorvo::Text;
using quorvo::data::XmlDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const Bytes bytes(reinterpret_cast<const char*>(data), size);
    // Options from the last byte, so that seed files are loaded as-is.
    const unsigned options = size == 0 ? 0 : data[size - 1];
    XmlDocument document;
    if (!document.load(bytes, (options & 1) != 0, (options & 2) != 0)) {
        return 0;
    }
    static_cast<void>(document.getName(0));
    const auto list = document.getNodeByPath("<#0/song_list/");
    const std::size_t count = list ? std::min<std::size_t>(list->children.size(), 64) : 0;
    for (std::size_t i = 1; i <= count; ++i) {
        const std::string song = "<#0/song_list/<@" + std::to_string(i) + "</";
        for (const char* field : {"title/", "album_title/", "author/", "song_id/", "lrclink/", "all_rate/"}) {
            static_cast<void>(document.valueAt(Text(song + field)));
        }
    }
    // Paths out of the input itself: every line is tried as one.
    std::size_t start = 0;
    for (int tries = 0; tries < 16 && start < bytes.size(); ++tries) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        static_cast<void>(document.indexByPath(Text(bytes.substr(start, std::min<std::size_t>(end - start, 256)))));
        start = end + 1;
    }
    static_cast<void>(document.toText());

    XmlDocument edited = document.clone();
    const int added = edited.addNode(0);
    edited.setNode(added, Text("x"), Text("a<b"));
    edited.removeNode(std::max(1, edited.nodeTableSize() / 2));
    static_cast<void>(edited.addNode(1));
    static_cast<void>(edited.toText());
    XmlDocument imported;
    imported.importTables(edited.exportTables());
    static_cast<void>(imported.toText());
    return 0;
}
