#pragma once

// Conversion between program text (GB18030, GBK-compatible) and UTF-8.
// Valid input converts losslessly both ways. A byte that does not start a
// valid sequence becomes "?" so that a conversion never fails outright.

#include "runtime/Text.h"

#include <string>
#include <string_view>

namespace quorvo::encoding {

std::string toUtf8(std::string_view programText);
Text fromUtf8(std::string_view utf8);

// True when `bytes` is well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view bytes);

}  // namespace quorvo::encoding
