#include "app/LiveSettings.h"

#include "runtime/Numbers.h"

namespace quorvo::app {

SettingsValues readSettings(const platform::ConfigStore& config)
{
    SettingsValues values;
    values.saveDirectory = download::withTrailingSlash(config.read("path"));
    values.namingItem = config.readInteger("sType") + 1;
    values.lyrics = config.read("lrc") == "1";
    values.embedLyrics = config.read("embedLrc") == "1";
    const Text wav = config.read("wav");
    // An empty or odd value selects none of the three buttons.
    values.sound = wav == "0" || wav == "1" || wav == "2" ? config.readInteger("wav") : -1;
    values.bypass = config.read("bypass") == "1";
    values.removeAdded = config.read("delete") == "1";
    values.speed = config.read("speed");
    values.retries = download::retriesFrom(config.read("retries"));
    values.jobs = download::jobsFrom(config.readInteger("jobs"));
    return values;
}

LiveSettings::LiveSettings(SettingsValues values, std::optional<platform::ConfigStore> config)
    : m_values(std::move(values))
    , m_config(std::move(config))
{
    if (m_config)
        m_configStamp = platform::fileStamp(m_config->path());
}

SettingsValues LiveSettings::values() const
{
    const std::lock_guard lock(m_mutex);
    return m_values;
}

void LiveSettings::update(const SettingsValues& values)
{
    const std::lock_guard lock(m_mutex);
    m_values = values;
}

Text LiveSettings::saveDirectory() const
{
    const std::lock_guard lock(m_mutex);
    return m_values.saveDirectory;
}

int64_t LiveSettings::speedLimit() const
{
    const std::lock_guard lock(m_mutex);
    return numbers::toInteger(m_values.speed.view());
}

bool LiveSettings::fetchLyrics() const
{
    const std::lock_guard lock(m_mutex);
    return m_values.lyrics;
}

bool LiveSettings::embedLyrics() const
{
    const std::lock_guard lock(m_mutex);
    return m_values.embedLyrics;
}

download::CompletionSound LiveSettings::completionSound() const
{
    const std::lock_guard lock(m_mutex);
    return download::completionSoundFor(m_values.sound);
}

service::NamingScheme LiveSettings::namingScheme() const
{
    const std::lock_guard lock(m_mutex);
    if (m_config) {
        // One look at the file instead of reading it for every name.
        const std::optional<platform::FileStamp> stamp = platform::fileStamp(m_config->path());
        if (stamp != m_configStamp) {
            m_configStamp = stamp;
            m_values.namingItem = m_config->readInteger("sType") + 1;
        }
    }
    return service::namingSchemeOf(m_values.namingItem - 1);
}

int64_t LiveSettings::retries() const
{
    const std::lock_guard lock(m_mutex);
    return m_values.retries;
}

int64_t LiveSettings::jobs() const
{
    const std::lock_guard lock(m_mutex);
    return download::jobsFrom(m_values.jobs);
}

bool LiveSettings::bypass() const
{
    const std::lock_guard lock(m_mutex);
    return m_values.bypass;
}

bool LiveSettings::removeAdded() const
{
    const std::lock_guard lock(m_mutex);
    return m_values.removeAdded;
}

}  // namespace quorvo::app
