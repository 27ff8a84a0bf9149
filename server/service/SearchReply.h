#pragma once

// The search method's XML reply.

#include "service/Catalogue.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvo::server {

inline constexpr int maxPageSize = 60;
inline constexpr int defaultPageSize = 20;

// Splits a UTF-8 query at ASCII blanks and ideographic spaces.
std::vector<std::string> queryWords(std::string_view queryUtf8);

// A song matches when every word occurs, ASCII case ignored, in its title,
// artist or album.
std::vector<const Song*> matchSongs(const Catalogue& catalogue, const std::vector<std::string>& words);

// Escapes &, < and > for XML text and marks every occurrence of a word with
// the service's escaped emphasis, "&lt;em&gt;" ... "&lt;/em&gt;".
std::string highlightedText(std::string_view fieldUtf8, const std::vector<std::string>& words);

std::string escapeXmlText(std::string_view text);

struct SearchPage {
    std::vector<const Song*> songs;  // the songs of this page
    std::size_t total = 0;           // matches over all pages
    int pageNo = 1;
    int pageSize = defaultPageSize;
};

std::string searchReplyXml(const SearchPage& page, const std::vector<std::string>& words);
std::string searchErrorXml(int errorCode, std::string_view message);

std::string lyricPath(const Song& song);

}  // namespace quorvo::server
