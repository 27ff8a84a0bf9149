#pragma once

// What each control of the settings page writes when the user changes it:
// config.ini at once (section Main), and the live copy the other threads read.

#include "app/LiveSettings.h"
#include "platform/ConfigStore.h"

namespace quorvo::app {

class SettingsBindings {
public:
    SettingsBindings(platform::ConfigStore config, LiveSettings& live)
        : m_config(std::move(config))
        , m_live(live)
    { }

    void lyricsChanged(bool ticked);          // `lrc`
    void embedLyricsChanged(bool ticked);     // `embedLrc`
    void bypassChanged(bool ticked);          // `bypass`
    void removeAddedChanged(bool ticked);     // `delete`
    void soundSelected(int64_t sound);        // `wav` 0, 1 or 2
    void namingSchemeSelected(int64_t item);  // `sType` = item - 1
    void speedTextChanged(const Text& text);  // `speed`, as typed
    // A folder from the chooser; returns the text the folder box shows (with
    // its trailing "/"). An empty choice (cancelled) changes nothing.
    Text folderChosen(const Text& folder);

    [[nodiscard]] const platform::ConfigStore& config() const { return m_config; }

private:
    template <typename Change> void change(Change&& apply);

    platform::ConfigStore m_config;
    LiveSettings& m_live;
};

// A spin button's click on the speed box: the leading integer of `text`
// (empty counts 0) plus `step`, never below 0.
Text spinSpeed(const Text& text, int64_t step);

}  // namespace quorvo::app
