#pragma once

// Which of the two embedded sounds marks a finished song. Playing it belongs
// to the window (audio device); the queue only says which one.

#include <cstdint>

namespace quorvo::download {

enum class CompletionSound {
    None = 0,       // "(无)"
    Whirlwind = 1,  // "旋风提示音": Microsoft ADPCM
    Thunder = 2,    // "迅雷提示音": 8-bit PCM
};

// The `wav` setting (or the radio group's selection): 1 and 2 pick a sound,
// anything else is none.
inline CompletionSound completionSoundFor(int64_t wavSetting)
{
    switch (wavSetting) {
    case 1:
        return CompletionSound::Whirlwind;
    case 2:
        return CompletionSound::Thunder;
    default:
        return CompletionSound::None;
    }
}

}  // namespace quorvo::download
