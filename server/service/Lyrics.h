#pragma once

#include "service/Catalogue.h"

#include <string>

namespace quorvo::server {

// A song's lyric file: UTF-8 LRC with an id block and time-tagged lines,
// Chinese and English, spread over the song's length. Deterministic.
std::string lyricsFor(const Song& song);

}  // namespace quorvo::server
