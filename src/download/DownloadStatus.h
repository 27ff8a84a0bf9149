#pragma once

// The texts of a download row's status cell, in the order a row passes
// through them, and the pending rule.

#include "runtime/Text.h"

#include <string_view>

namespace quorvo::download::status {

inline constexpr std::string_view waiting = "\xB5\xC8\xB4\xFD\xCF\xC2\xD4\xD8";    // 等待下载
inline constexpr std::string_view starting = "\xBF\xAA\xCA\xBC\xCF\xC2\xD4\xD8";   // 开始下载
inline constexpr std::string_view completed = "\xCF\xC2\xD4\xD8\xCD\xEA\xB1\xCF";  // 下载完毕
inline constexpr std::string_view failed = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC";     // 下载失败
inline constexpr std::string_view stopped = "\xCF\xC2\xD4\xD8\xD6\xD5\xD6\xB9";    // 下载终止

// Every status but "finished" and "failed" is taken up by the next worker:
// waiting, starting, a percentage and "stopped".
inline bool isPending(const Text& status)
{
    return status.view() != completed && status.view() != failed;
}

}  // namespace quorvo::download::status
