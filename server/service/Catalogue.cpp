#include "service/Catalogue.h"

#include "runtime/Encoding.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <set>
#include <sstream>

namespace quorvo::server {

namespace {

using nlohmann::json;

std::string lastRate(const std::optional<std::string>& allRate)
{
    if (!allRate)
        return {};
    const auto comma = allRate->rfind(',');
    return comma == std::string::npos ? *allRate : allRate->substr(comma + 1);
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

FaultSettings readFaults(const json& object)
{
    FaultSettings faults;
    if (!object.is_object())
        throw std::runtime_error("faults must be an object");
    for (const auto& [key, value] : object.items()) {
        if (key == "delay_ms")
            faults.delay = std::chrono::milliseconds(value.get<std::int64_t>());
        else if (key == "rate")
            faults.bytesPerSecond = value.get<std::uint64_t>();
        else if (key == "drop_after")
            faults.dropAfter = value.get<std::uint64_t>();
        else if (key == "ignore_range")
            faults.ignoreRange = value.get<bool>();
        else if (key == "status")
            faults.status = value.get<int>();
        else if (key == "redirect")
            faults.redirect = value.is_string() ? value.get<std::string>() : std::string();
        else if (key == "chunked")
            faults.chunked = value.get<bool>();
        else if (key == "set_cookie") {
            if (value.is_string())
                faults.setCookies.push_back(value.get<std::string>());
            else
                faults.setCookies = value.get<std::vector<std::string>>();
        } else
            throw std::runtime_error("unknown fault \"" + key + "\"");
    }
    if (faults.status && (*faults.status < 100 || *faults.status > 599))
        throw std::runtime_error("fault status out of range");
    return faults;
}

LinkReplyKind readLinkReply(const std::string& text)
{
    if (text == "normal")
        return LinkReplyKind::Normal;
    if (text == "not_json")
        return LinkReplyKind::NotJson;
    if (text == "object")
        return LinkReplyKind::Object;
    if (text == "no_file_list")
        return LinkReplyKind::NoFileList;
    if (text == "empty_file_list")
        return LinkReplyKind::EmptyFileList;
    throw std::runtime_error("unknown link_reply \"" + text + "\"");
}

Song readSong(const json& item)
{
    Song song;
    song.id = item.at("id").get<std::string>();
    song.title = item.at("title").get<std::string>();
    song.artist = item.at("artist").get<std::string>();
    song.album = item.at("album").get<std::string>();
    if (item.contains("all_rate"))
        song.allRate = item.at("all_rate").get<std::string>();
    song.hasLyrics = item.value("lrc", true);
    song.cdata = item.value("cdata", false);
    song.seconds = item.value("seconds", 200);
    song.large = item.value("large", false);
    song.linkReply = readLinkReply(item.value("link_reply", std::string("normal")));
    if (item.contains("faults"))
        song.fileFaults = readFaults(item.at("faults"));
    if (item.contains("link_faults"))
        song.linkFaults = readFaults(item.at("link_faults"));
    if (item.contains("lyric_faults"))
        song.lyricFaults = readFaults(item.at("lyric_faults"));

    if (song.id.empty() || !std::all_of(song.id.begin(), song.id.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw std::runtime_error("song id \"" + song.id + "\" is not a decimal number");
    if (song.seconds < 1 || song.seconds > 3600)
        throw std::runtime_error("song " + song.id + ": seconds out of range");
    for (const std::string* field : {&song.title, &song.artist, &song.album}) {
        // Every text must survive the trip to GBK and back.
        if (encoding::toUtf8(encoding::fromUtf8(*field).view()) != *field)
            throw std::runtime_error("song " + song.id + ": text not representable in GB18030");
    }
    return song;
}

}  // namespace

AudioFormat Song::format() const
{
    return equalsAsciiNoCase(lastRate(allRate), "flac") ? AudioFormat::Flac : AudioFormat::Mp3;
}

int Song::mp3Kbps() const
{
    const std::string rate = lastRate(allRate);
    int value = 0;
    const auto [end, error] = std::from_chars(rate.data(), rate.data() + rate.size(), value);
    if (error != std::errc() || end != rate.data() + rate.size())
        return 128;
    static constexpr int allowedRates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    for (const int allowed : allowedRates) {
        if (value <= allowed)
            return allowed;
    }
    return 320;
}

std::optional<Catalogue> Catalogue::load(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), error);
}

std::optional<Catalogue> Catalogue::parse(const std::string& text, std::string& error)
{
    try {
        const json document = json::parse(text);
        Catalogue catalogue;
        std::set<std::string> ids;
        for (const json& item : document.at("songs")) {
            Song song = readSong(item);
            if (!ids.insert(song.id).second)
                throw std::runtime_error("duplicate song id " + song.id);
            catalogue.m_songs.push_back(std::move(song));
        }
        return catalogue;
    } catch (const std::exception& failure) {
        error = failure.what();
        return std::nullopt;
    }
}

const Song* Catalogue::find(std::string_view id) const
{
    const auto it = std::find_if(m_songs.begin(), m_songs.end(), [&](const Song& song) { return song.id == id; });
    return it == m_songs.end() ? nullptr : &*it;
}

}  // namespace quorvo::server
