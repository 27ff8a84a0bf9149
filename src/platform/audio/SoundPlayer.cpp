#include "platform/audio/SoundPlayer.h"

#include <SDL.h>
#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quorvo::platform {

namespace {

// The format every sound is converted to before it is queued, so that one
// device, opened once, can play both stored formats.
constexpr int outputRate = 44100;
constexpr SDL_AudioFormat outputFormat = AUDIO_S16SYS;
constexpr Uint8 outputChannels = 2;

struct WaveBuffer {
    Uint8* data = nullptr;
    Uint32 length = 0;
    ~WaveBuffer() { SDL_FreeWAV(data); }
};

// Decodes a WAVE image and converts it to the output format.
std::optional<std::vector<Uint8>> decodeForOutput(std::span<const std::byte> wave)
{
    if (wave.empty() || wave.size() > static_cast<size_t>(INT32_MAX))
        return std::nullopt;
    SDL_RWops* stream = SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size()));
    if (stream == nullptr)
        return std::nullopt;
    SDL_AudioSpec spec {};
    WaveBuffer buffer;
    // freesrc = 1: the stream is closed whether or not decoding succeeds.
    if (SDL_LoadWAV_RW(stream, 1, &spec, &buffer.data, &buffer.length) == nullptr)
        return std::nullopt;

    SDL_AudioCVT conversion {};
    const int needed = SDL_BuildAudioCVT(&conversion, spec.format, spec.channels, spec.freq, outputFormat,
                                         outputChannels, outputRate);
    if (needed < 0)
        return std::nullopt;
    std::vector<Uint8> converted(static_cast<size_t>(buffer.length) * static_cast<size_t>(conversion.len_mult));
    std::copy(buffer.data, buffer.data + buffer.length, converted.begin());
    if (needed == 1) {
        conversion.buf = converted.data();
        conversion.len = static_cast<int>(buffer.length);
        if (SDL_ConvertAudio(&conversion) != 0)
            return std::nullopt;
        converted.resize(static_cast<size_t>(conversion.len_cvt));
    } else {
        converted.resize(buffer.length);
    }
    return converted;
}

// ALSA's library writes its configuration errors to stderr, and on a machine
// without a sound card SDL's ALSA backend produces a screenful of them. A
// program that merely has no sound must stay quiet, so while a device is open
// or being looked for, ALSA's diagnostics go nowhere. SDL loads the library
// itself at run time; we load the same copy only to install the handler.
void ignoreAlsaDiagnostic(const char*, int, const char*, int, const char*, ...) { }

class QuietAlsa {
public:
    QuietAlsa()
        : m_library(dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL))
    {
        if (m_library == nullptr)
            return;
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(m_library, "snd_lib_error_set_handler")))
            set(&ignoreAlsaDiagnostic);
    }
    ~QuietAlsa()
    {
        if (m_library != nullptr)
            dlclose(m_library);
    }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

private:
    void* m_library;
};

}  // namespace

// The audio subsystem and one output device, opened by a sound and closed
// again once it has been heard: an open device plays silence (and keeps the
// sound server and its thread busy) for as long as it stays open. A failed
// open is retried by the next sound (a device may have appeared since).
class SoundPlayer::Device {
public:
    ~Device()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        m_wake.notify_all();
        if (m_closer.joinable())
            m_closer.join();
        close();
        if (m_subsystemUp)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool play(const std::vector<Uint8>& samples)
    {
        {
            const std::lock_guard lock(m_mutex);
            if (!open())
                return false;
            SDL_ClearQueuedAudio(m_device);
            if (SDL_QueueAudio(m_device, samples.data(), static_cast<Uint32>(samples.size())) != 0)
                return false;
            SDL_PauseAudioDevice(m_device, 0);
            const auto length = std::chrono::microseconds(static_cast<int64_t>(samples.size()) * 1'000'000
                                                          / (outputRate * outputChannels * 2));
            m_closeAt = std::chrono::steady_clock::now() + length + drainMargin;
            if (!m_closer.joinable())
                m_closer = std::thread([this] { closeWhenHeard(); });
        }
        m_wake.notify_all();
        return true;
    }

    void stop()
    {
        const std::lock_guard lock(m_mutex);
        if (m_device != 0) {
            SDL_ClearQueuedAudio(m_device);
            m_closeAt = std::chrono::steady_clock::now() + drainMargin;
        }
    }

    bool isPlaying() const
    {
        const std::lock_guard lock(m_mutex);
        return m_device != 0 && SDL_GetQueuedAudioSize(m_device) > 0;
    }

    bool isOpen() const
    {
        const std::lock_guard lock(m_mutex);
        return m_device != 0;
    }

private:
    // After the queue has gone to the device, its own buffer (1024 frames,
    // about 23 ms) and the driver's still have to be played out.
    static constexpr std::chrono::milliseconds drainMargin {300};

    // The closer's thread: sleeps until the sound should have been heard,
    // closes the device, and sleeps without a time limit until the next sound.
    void closeWhenHeard()
    {
        std::unique_lock lock(m_mutex);
        while (!m_ending) {
            if (m_device == 0) {
                m_wake.wait(lock);
                continue;
            }
            if (m_wake.wait_until(lock, m_closeAt) == std::cv_status::no_timeout)
                continue;  // a new sound, a stop or the end: look again
            if (std::chrono::steady_clock::now() < m_closeAt)
                continue;
            if (SDL_GetQueuedAudioSize(m_device) > 0) {
                // Slower than real time (a busy machine): wait for the rest.
                m_closeAt = std::chrono::steady_clock::now() + drainMargin;
                continue;
            }
            close();
        }
    }

    bool open()
    {
        if (m_device != 0)
            return true;
        if (!m_subsystemUp) {
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
                return false;
            m_subsystemUp = true;
        }
        SDL_AudioSpec wanted {};
        wanted.freq = outputRate;
        wanted.format = outputFormat;
        wanted.channels = outputChannels;
        wanted.samples = 1024;
        // No changes allowed: SDL converts to whatever the hardware needs.
        m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        return m_device != 0;
    }

    void close()
    {
        if (m_device != 0)
            SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }

    QuietAlsa m_quietAlsa;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_subsystemUp = false;
    bool m_ending = false;
    SDL_AudioDeviceID m_device = 0;
    std::chrono::steady_clock::time_point m_closeAt;
    std::thread m_closer;
};

SoundPlayer::SoundPlayer()
    : m_device(std::make_unique<Device>())
{ }

SoundPlayer::~SoundPlayer() = default;

bool SoundPlayer::play(std::span<const std::byte> wave)
{
    const auto samples = decodeForOutput(wave);
    if (!samples)
        return false;
    return m_device->play(*samples);
}

void SoundPlayer::stop()
{
    m_device->stop();
}

bool SoundPlayer::isPlaying() const
{
    return m_device->isPlaying();
}

bool SoundPlayer::isDeviceOpen() const
{
    return m_device->isOpen();
}

}  // namespace quorvo::platform
