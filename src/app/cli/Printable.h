#pragma once

// What quorvo-cli prints comes partly from the service (titles, names) and
// must not be able to forge a result row, a status line or a terminal escape
// sequence: every control character is written out as an escape.

#include <string>
#include <string_view>

namespace quorvo::cli {

// UTF-8 in, UTF-8 out: C0 controls (tab and line breaks included) and DEL
// become "\xHH", C1 controls (U+0080..U+009F) "\u00HH"; everything else is
// kept as it is.
std::string printable(std::string_view utf8);

}  // namespace quorvo::cli
