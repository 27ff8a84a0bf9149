#pragma once

#include "runtime/Text.h"

#include <string_view>

namespace quorvo::service {

// Removes the service's escaped emphasis markup from a search result field:
// every "&lt;em&gt;", then every "&lt;/em&gt;", then "&amp;" becomes "&".
// Each pass scans left to right and does not rescan what it replaced.
Text stripHighlightMarkup(std::string_view text);

}  // namespace quorvo::service
