#include "app/SettingsBindings.h"

#include "runtime/Numbers.h"

#include <algorithm>

namespace quorvo::app {

template <typename Change> void SettingsBindings::change(Change&& apply)
{
    SettingsValues values = m_live.values();
    apply(values);
    m_live.update(values);
}

void SettingsBindings::lyricsChanged(bool ticked)
{
    m_config.writeBoolean("lrc", ticked);
    change([&](SettingsValues& values) { values.lyrics = ticked; });
}

void SettingsBindings::embedLyricsChanged(bool ticked)
{
    m_config.writeBoolean("embedLrc", ticked);
    change([&](SettingsValues& values) { values.embedLyrics = ticked; });
}

void SettingsBindings::bypassChanged(bool ticked)
{
    m_config.writeBoolean("bypass", ticked);
    change([&](SettingsValues& values) { values.bypass = ticked; });
}

void SettingsBindings::removeAddedChanged(bool ticked)
{
    m_config.writeBoolean("delete", ticked);
    change([&](SettingsValues& values) { values.removeAdded = ticked; });
}

void SettingsBindings::soundSelected(int64_t sound)
{
    m_config.writeInteger("wav", sound);
    change([&](SettingsValues& values) { values.sound = sound; });
}

void SettingsBindings::namingSchemeSelected(int64_t item)
{
    m_config.writeInteger("sType", item - 1);
    change([&](SettingsValues& values) { values.namingItem = item; });
}

void SettingsBindings::speedTextChanged(const Text& text)
{
    m_config.write("speed", text);
    change([&](SettingsValues& values) { values.speed = text; });
}

Text SettingsBindings::folderChosen(const Text& folder)
{
    if (folder.empty())
        return m_live.saveDirectory();
    const Text stored = download::withTrailingSlash(folder);
    m_config.write("path", stored);
    change([&](SettingsValues& values) { values.saveDirectory = stored; });
    return stored;
}

Text spinSpeed(const Text& text, int64_t step)
{
    return numbers::fromInteger(std::max<int64_t>(0, numbers::toInteger(text.view()) + step));
}

}  // namespace quorvo::app
