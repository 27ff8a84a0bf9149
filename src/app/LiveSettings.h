#pragma once

// The settings page's controls are the live settings; the worker and the
// search thread must not read controls, so the page keeps this copy of their
// values up to date on the user-interface thread and the other threads read it.

#include "download/DownloadSettings.h"

#include <mutex>

namespace quorvo::app {

struct SettingsValues {
    Text saveDirectory;       // `path`, ends in "/"
    int64_t namingItem = 1;   // combo item, `sType` + 1 (items count from 1)
    bool lyrics = true;       // `lrc`
    int64_t sound = 0;        // `wav`; a value outside 0..2 selects no radio button
    bool bypass = true;       // `bypass`
    bool removeAdded = true;  // `delete`
    Text speed {"0"};         // `speed`, as typed

    friend bool operator==(const SettingsValues&, const SettingsValues&) = default;
};

// The values the page shows at start-up, read from config.ini.
SettingsValues readSettings(const platform::ConfigStore& config);

class LiveSettings final : public download::DownloadSettings {
public:
    explicit LiveSettings(SettingsValues values = {})
        : m_values(std::move(values))
    { }

    [[nodiscard]] SettingsValues values() const;
    void update(const SettingsValues& values);

    [[nodiscard]] Text saveDirectory() const override;
    // The leading integer of the speed box's text; no leading integer: no limit.
    [[nodiscard]] int64_t speedLimit() const override;
    [[nodiscard]] bool fetchLyrics() const override;
    [[nodiscard]] download::CompletionSound completionSound() const override;
    [[nodiscard]] bool bypass() const;
    [[nodiscard]] bool removeAdded() const;

private:
    mutable std::mutex m_mutex;
    SettingsValues m_values;
};

}  // namespace quorvo::app
