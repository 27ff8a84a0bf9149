#pragma once

#include "runtime/Text.h"

#include <string_view>

namespace quorvo::service {

// Percent-encodes every byte except the unreserved ASCII characters
// (letters, digits, "-", ".", "_", "~"). Program text stays GBK bytes on the
// wire: a Chinese character becomes two (or four) %XX escapes.
Text percentEncode(std::string_view bytes);

}  // namespace quorvo::service
