#pragma once

// The live settings the queue reads as it goes: the naming scheme when songs
// are added, the save directory then and when the worker takes a row, the
// speed limit as each transfer runs (the queue's limiter reads it once a
// window), the retries after a failed attempt, the sound after each finished song. A
// window backs this with its settings controls; the command-line client with
// config.ini and its own options.

#include "download/CompletionSound.h"
#include "platform/ConfigStore.h"
#include "runtime/Text.h"
#include "service/SongNaming.h"

#include <cstdint>
#include <optional>

namespace quorvo::download {

// `retries` when config.ini has none.
inline constexpr int64_t defaultRetries = 3;
// More retries than this are taken as this many.
inline constexpr int64_t maxRetries = 1000;

// The value of `retries` as stored: its leading integer, clamped to
// 0..maxRetries; an empty (missing) value is the default.
int64_t retriesFrom(const Text& stored);

class DownloadSettings {
public:
    virtual ~DownloadSettings() = default;
    // Ends in "/".
    [[nodiscard]] virtual Text saveDirectory() const = 0;
    // KB/s; 0 or negative: no limit.
    [[nodiscard]] virtual int64_t speedLimit() const = 0;
    // The "下载歌词" box: unticked, no lyric file is fetched.
    [[nodiscard]] virtual bool fetchLyrics() const = 0;
    // The "歌词写入歌曲文件" box: lyrics and names go into the song file.
    [[nodiscard]] virtual bool embedLyrics() const { return false; }
    [[nodiscard]] virtual CompletionSound completionSound() const = 0;
    // The scheme names are built by now: a change applies to the next name.
    [[nodiscard]] virtual service::NamingScheme namingScheme() const = 0;
    // How often a transfer that ended on a network error is tried again (`retries`).
    [[nodiscard]] virtual int64_t retries() const { return defaultRetries; }
    // How many songs download at once (`jobs`), read when the workers start.
    [[nodiscard]] virtual int64_t jobs() const { return 1; }

    // The naming policy of this moment.
    [[nodiscard]] service::SongNaming naming() const { return {namingScheme(), saveDirectory()}; }
};

// config.ini (read afresh on every call), with per-run overrides.
class ConfigDownloadSettings final : public DownloadSettings {
public:
    explicit ConfigDownloadSettings(platform::ConfigStore config)
        : m_config(std::move(config))
    { }

    // A trailing "/" is added when missing.
    void overrideSaveDirectory(Text directory);
    void overrideSpeedLimit(int64_t kilobytesPerSecond) { m_speedLimit = kilobytesPerSecond; }
    void overrideRetries(int64_t retries) { m_retries = retries; }
    void overrideJobs(int64_t jobs) { m_jobs = jobs; }

    [[nodiscard]] Text saveDirectory() const override;
    [[nodiscard]] int64_t speedLimit() const override;
    [[nodiscard]] bool fetchLyrics() const override;
    [[nodiscard]] bool embedLyrics() const override;
    [[nodiscard]] CompletionSound completionSound() const override;
    [[nodiscard]] service::NamingScheme namingScheme() const override;
    [[nodiscard]] int64_t retries() const override;
    [[nodiscard]] int64_t jobs() const override;

private:
    platform::ConfigStore m_config;
    std::optional<Text> m_saveDirectory;
    std::optional<int64_t> m_speedLimit;
    std::optional<int64_t> m_retries;
    std::optional<int64_t> m_jobs;
};

// The workers a `jobs` value asks for: a missing, zero or negative value is
// one, as before there was a choice; more than maxJobs is maxJobs.
inline constexpr int64_t maxJobs = 16;
int64_t jobsFrom(int64_t value);

// "/" appended when `directory` does not end in one.
Text withTrailingSlash(Text directory);

}  // namespace quorvo::download
