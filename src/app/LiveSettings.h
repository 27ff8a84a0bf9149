#pragma once

// The settings page's controls are the live settings; the worker and the
// search thread must not read controls, so the page keeps this copy of their
// values up to date on the user-interface thread and the other threads read it.

#include "download/DownloadSettings.h"
#include "platform/ConfigStore.h"
#include "platform/Files.h"

#include <mutex>
#include <optional>

namespace quorvo::app {

struct SettingsValues {
    Text saveDirectory;                          // `path`, ends in "/"
    int64_t namingItem = 1;                      // combo item, `sType` + 1 (items count from 1)
    bool lyrics = true;                          // `lrc`
    bool embedLyrics = false;                    // `embedLrc`
    int64_t sound = 0;                           // `wav`; a value outside 0..2 selects no radio button
    bool bypass = true;                          // `bypass`
    bool removeAdded = true;                     // `delete`
    Text speed {"0"};                            // `speed`, as typed
    int64_t retries = download::defaultRetries;  // `retries`
    int64_t jobs = 1;                            // `jobs`: songs downloading at once (no control shows it)

    friend bool operator==(const SettingsValues&, const SettingsValues&) = default;
};

// The values the page shows at start-up, read from config.ini.
SettingsValues readSettings(const platform::ConfigStore& config);

class LiveSettings final : public download::DownloadSettings {
public:
    // `config`: the file `values` were read from. The naming scheme follows
    // the settings page and, as names always did, a scheme written into the
    // file by hand (it is read again when the file has changed).
    explicit LiveSettings(SettingsValues values = {}, std::optional<platform::ConfigStore> config = std::nullopt);

    [[nodiscard]] SettingsValues values() const;
    void update(const SettingsValues& values);

    [[nodiscard]] Text saveDirectory() const override;
    // The leading integer of the speed box's text; no leading integer: no limit.
    [[nodiscard]] int64_t speedLimit() const override;
    [[nodiscard]] bool fetchLyrics() const override;
    [[nodiscard]] bool embedLyrics() const override;
    [[nodiscard]] download::CompletionSound completionSound() const override;
    [[nodiscard]] service::NamingScheme namingScheme() const override;
    [[nodiscard]] int64_t retries() const override;
    [[nodiscard]] int64_t jobs() const override;
    [[nodiscard]] bool bypass() const;
    [[nodiscard]] bool removeAdded() const;

private:
    mutable std::mutex m_mutex;
    // namingScheme() takes in a hand-edited scheme.
    mutable SettingsValues m_values;
    std::optional<platform::ConfigStore> m_config;
    mutable std::optional<platform::FileStamp> m_configStamp;
};

}  // namespace quorvo::app
