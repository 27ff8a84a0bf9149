#pragma once

// The Range header of a file request, checked against the file's size.

#include <cstdint>
#include <string_view>

namespace quorvo::server {

struct RangeDecision {
    enum class Kind {
        Whole,          // no usable Range header: 200 with the whole file
        Partial,        // 206 with bytes first..last
        Unsatisfiable,  // 416
    };
    Kind kind = Kind::Whole;
    std::uint64_t first = 0;
    std::uint64_t last = 0;  // inclusive
};

// `value` is the header's value with surrounding blanks removed, e.g.
// "bytes=100-". Single ranges only: "N-", "N-M", "-S". A header that is not
// understood, holds several ranges or is syntactically invalid ("9-3") is
// ignored, as HTTP requires; a start at or beyond the end is unsatisfiable.
RangeDecision decideRange(std::string_view value, std::uint64_t size);

}  // namespace quorvo::server
