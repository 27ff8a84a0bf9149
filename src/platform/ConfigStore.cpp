#include "platform/ConfigStore.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/RunDirectory.h"
#include "runtime/Numbers.h"

#include <utility>

namespace quorvo::platform {

namespace {
const Text mainSection("Main");
}

ConfigStore::ConfigStore()
    : m_path(runPath("config.ini"))
{ }

ConfigStore::ConfigStore(Text iniPath)
    : m_path(std::move(iniPath))
{ }

Text ConfigStore::read(const Text& key) const
{
    return readProfile(m_path, mainSection, key);
}

int64_t ConfigStore::readInteger(const Text& key) const
{
    return numbers::toInteger(read(key).view());
}

bool ConfigStore::write(const Text& key, const Text& value) const
{
    return writeProfile(m_path, mainSection, key, value);
}

bool ConfigStore::writeInteger(const Text& key, int64_t value) const
{
    return write(key, numbers::fromInteger(value));
}

bool ConfigStore::writeBoolean(const Text& key, bool value) const
{
    return write(key, value ? "1" : "0");
}

bool ensureSaveDirectory(Text path)
{
    if (!text::endsWith(path.view(), "/"))
        path += "/";
    return isDirectory(path);
}

}  // namespace quorvo::platform
