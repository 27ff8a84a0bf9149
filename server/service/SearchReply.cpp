#include "service/SearchReply.h"

#include "service/SongIds.h"

#include <algorithm>

namespace quorvo::server {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matchesAt(std::string_view text, std::size_t at, std::string_view word)
{
    if (at + word.size() > text.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (lowerAscii(text[at + i]) != lowerAscii(word[i]))
            return false;
    }
    return true;
}

bool containsIgnoringCase(std::string_view text, std::string_view word)
{
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        if (matchesAt(text, at, word))
            return true;
    }
    return false;
}

void appendElement(std::string& out, std::string_view name, std::string_view escapedText)
{
    out += '<';
    out += name;
    out += '>';
    out += escapedText;
    out += "</";
    out += name;
    out += '>';
}

// A text field as the service sends it: escaped, or (for songs marked so)
// inside a CDATA section where "<" and ">" arrive as they are.
std::string fieldText(const Song& song, std::string_view value, const std::vector<std::string>& words)
{
    if (!song.cdata)
        return highlightedText(value, words);
    return "<![CDATA[" + std::string(value) + "]]>";
}

}  // namespace

std::vector<std::string> queryWords(std::string_view query)
{
    std::vector<std::string> words;
    std::string current;
    for (std::size_t i = 0; i < query.size();) {
        if (query[i] == ' ' || query[i] == '\t') {
            ++i;
        } else if (query.substr(i, 3) == "\xE3\x80\x80") {
            i += 3;
        } else {
            current += query[i++];
            continue;
        }
        if (!current.empty())
            words.push_back(std::move(current));
        current.clear();
    }
    if (!current.empty())
        words.push_back(std::move(current));
    return words;
}

std::vector<const Song*> matchSongs(const Catalogue& catalogue, const std::vector<std::string>& words)
{
    std::vector<const Song*> matches;
    if (words.empty())
        return matches;
    for (const Song& song : catalogue.songs()) {
        const bool all = std::all_of(words.begin(), words.end(), [&](const std::string& word) {
            return containsIgnoringCase(song.title, word) || containsIgnoringCase(song.artist, word)
                || containsIgnoringCase(song.album, word);
        });
        if (all)
            matches.push_back(&song);
    }
    return matches;
}

std::string escapeXmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string highlightedText(std::string_view field, const std::vector<std::string>& words)
{
    std::string out;
    for (std::size_t at = 0; at < field.size();) {
        std::size_t longest = 0;
        for (const std::string& word : words) {
            if (word.size() > longest && matchesAt(field, at, word))
                longest = word.size();
        }
        if (longest > 0) {
            out += "&lt;em&gt;";
            out += escapeXmlText(field.substr(at, longest));
            out += "&lt;/em&gt;";
            at += longest;
        } else {
            out += escapeXmlText(field.substr(at, 1));
            ++at;
        }
    }
    return out;
}

std::string lyricPath(const Song& song)
{
    return "/data2/lrc/" + song.id + "/" + song.id + ".lrc";
}

std::string searchReplyXml(const SearchPage& page, const std::vector<std::string>& words)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<result>\n";
    appendElement(out, "error_code", "22000");
    out += "\n<pages>";
    appendElement(out, "total", std::to_string(page.total));
    appendElement(out, "rn_num", std::to_string(page.songs.size()));
    appendElement(out, "page_no", std::to_string(page.pageNo));
    appendElement(out, "page_size", std::to_string(page.pageSize));
    out += "</pages>\n<song_list>\n";
    for (const Song* song : page.songs) {
        out += "<song>";
        appendElement(out, "title", fieldText(*song, song->title, words));
        appendElement(out, "song_id", song->id);
        appendElement(out, "author", fieldText(*song, song->artist, words));
        appendElement(out, "artist_id", std::to_string(artistId(song->artist)));
        appendElement(out, "all_artist_id", std::to_string(artistId(song->artist)));
        appendElement(out, "album_title", fieldText(*song, song->album, words));
        appendElement(out, "album_id", std::to_string(albumId(song->album)));
        if (song->hasLyrics)
            appendElement(out, "lrclink", lyricPath(*song));
        if (song->allRate)
            appendElement(out, "all_rate", escapeXmlText(*song->allRate));
        appendElement(out, "file_duration", std::to_string(song->seconds));
        appendElement(out, "has_mv", "0");
        appendElement(out, "charge", "0");
        appendElement(out, "copy_type", "1");
        appendElement(out, "resource_type", "0");
        appendElement(out, "relate_status", "0");
        appendElement(out, "havehigh", song->format() == AudioFormat::Flac ? "2" : "0");
        appendElement(out, "info", "");
        out += "</song>\n";
    }
    out += "</song_list>\n</result>\n";
    return out;
}

std::string searchErrorXml(int errorCode, std::string_view message)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<result>";
    appendElement(out, "error_code", std::to_string(errorCode));
    appendElement(out, "error_message", escapeXmlText(message));
    out += "</result>\n";
    return out;
}

}  // namespace quorvo::server
