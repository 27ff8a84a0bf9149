#pragma once

// Query-string handling for the service's endpoints.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvo::server {

// Splits at "&" and the first "=", percent-decodes names and values ("+" is a
// blank). Raw bytes above 0x7F pass through untouched; a "%" not followed by
// two hex digits stays as it is.
std::vector<std::pair<std::string, std::string>> parseQuery(std::string_view rawQuery);

// The first value of `name`, or nothing.
std::optional<std::string> queryValue(const std::vector<std::pair<std::string, std::string>>& query,
                                      std::string_view name);

std::string percentDecode(std::string_view text, bool plusIsBlank);

// True when `bytes` is well-formed GB18030 (which includes every GBK text).
bool isValidGb18030(std::string_view bytes);

}  // namespace quorvo::server
