#include "service/Lyrics.h"

#include "service/SongIds.h"

#include <cstdio>

namespace quorvo::server {

namespace {

constexpr const char* lyricLines[] = {
    "风吹过旧街的路灯",
    "我在雨里等一个回声",
    "City lights are fading slow",
    "把昨天折成纸飞机",
    "Hold the night a little longer",
    "星星落进你的眼睛",
    "We were dancing on the wire",
    "时间像河流不回头",
    "Every road leads back to you",
    "月光洒在窗台上",
    "这一刻请不要走",
    "Sing it once and let it go",
    "心跳和鼓点一样快",
    "远方有海也有山",
    "Paper hearts and silver rain",
    "我们终会再相见",
};

std::string timeTag(int centiseconds)
{
    char tag[32];
    std::snprintf(tag, sizeof tag, "[%02d:%02d.%02d]", centiseconds / 6000, (centiseconds / 100) % 60,
                  centiseconds % 100);
    return tag;
}

}  // namespace

std::string lyricsFor(const Song& song)
{
    std::string out;
    out += "[ti:" + song.title + "]\n";
    out += "[ar:" + song.artist + "]\n";
    out += "[al:" + song.album + "]\n";
    out += "[by:quorvo]\n";
    out += "[offset:0]\n";
    out += timeTag(0) + song.title + " - " + song.artist + "\n";
    std::uint64_t state = fnv1a(song.id, 3);
    const int end = song.seconds * 100;
    for (int at = 300; at < end; at += 350 + static_cast<int>(state % 250)) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        out += timeTag(at) + lyricLines[(state >> 33) % std::size(lyricLines)] + "\n";
    }
    return out;
}

}  // namespace quorvo::server
