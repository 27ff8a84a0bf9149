#pragma once

// The status-line message that reports an add to the download list.

#include "runtime/Text.h"

#include <cstdint>

namespace quorvo::download {

struct MessageColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const MessageColour&, const MessageColour&) = default;
};

struct AddMessage {
    Text text;
    MessageColour colour;  // drawn opaque
};

// ticked > 0 with duplicates: (ticked - duplicates) "首已添加," duplicates "首重复.", blue;
// ticked > 0 without: "已添加" ticked "首歌曲至下载列表", green;
// nothing ticked: "请勾选欲下载的歌曲", red-orange.
AddMessage composeAddMessage(int64_t ticked, int64_t duplicates);

}  // namespace quorvo::download
