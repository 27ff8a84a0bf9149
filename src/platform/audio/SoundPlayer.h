#pragma once

// Plays a sound held in memory, in the background. The sound is a complete
// RIFF WAVE image (PCM or Microsoft ADPCM); starting a sound cuts off the one
// still playing. Without an audio device nothing plays and nothing is said:
// sound is a courtesy, never a failure the user has to hear about. The
// device is open only while a sound plays.

#include <cstddef>
#include <memory>
#include <span>

namespace quorvo::platform {

class SoundPlayer {
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Returns at once. False when the sound will not be heard: no device,
    // or bytes that are not a WAVE image the decoder accepts.
    bool play(std::span<const std::byte> wave);
    // Silences whatever is playing.
    void stop();
    // True while queued sound has not yet gone to the device.
    [[nodiscard]] bool isPlaying() const;
    // The output device is open: from a sound's start until shortly after its end.
    [[nodiscard]] bool isDeviceOpen() const;

private:
    class Device;
    std::unique_ptr<Device> m_device;
};

}  // namespace quorvo::platform
