#pragma once

// The persistent settings: section "Main" of config.ini in the run directory.
// Nothing is cached; every read goes to the file.

#include "runtime/Text.h"

namespace quorvo::platform {

class ConfigStore {
public:
    // config.ini in the run directory.
    ConfigStore();
    // Another file, for tests and tools.
    explicit ConfigStore(Text iniPath);

    // Empty for a missing file, key or value.
    [[nodiscard]] Text read(const Text& key) const;
    // The leading decimal integer of the value (0 when empty or not numeric).
    [[nodiscard]] int64_t readInteger(const Text& key) const;
    // Failures leave the old value; the next read returns what the file holds.
    bool write(const Text& key, const Text& value) const;
    bool writeInteger(const Text& key, int64_t value) const;
    bool writeBoolean(const Text& key, bool value) const;

    [[nodiscard]] const Text& path() const { return m_path; }

private:
    Text m_path;
};

// Appends "/" to `path` when missing and tells whether that is a directory.
bool ensureSaveDirectory(Text path);

}  // namespace quorvo::platform
