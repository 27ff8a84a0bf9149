#pragma once

// The texts of a download row's status cell, in the order a row passes
// through them. They are made from the row's state (statusText); nothing
// reads a row's state back from them.

#include <string_view>

namespace quorvo::download::status {

inline constexpr std::string_view waiting = "\xB5\xC8\xB4\xFD\xCF\xC2\xD4\xD8";    // 等待下载
inline constexpr std::string_view starting = "\xBF\xAA\xCA\xBC\xCF\xC2\xD4\xD8";   // 开始下载
inline constexpr std::string_view completed = "\xCF\xC2\xD4\xD8\xCD\xEA\xB1\xCF";  // 下载完毕
inline constexpr std::string_view failed = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC";     // 下载失败
inline constexpr std::string_view stopped = "\xCF\xC2\xD4\xD8\xD6\xD5\xD6\xB9";    // 下载终止

}  // namespace quorvo::download::status
