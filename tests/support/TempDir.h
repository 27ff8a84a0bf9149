#pragma once

// A fresh directory under $TMPDIR (or /tmp) that is removed with everything in
// it when the object goes away.

#include <filesystem>
#include <string>

namespace quorvo::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    // The UTF-8 path of a name inside the directory.
    [[nodiscard]] std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Whole-file helpers for tests, on UTF-8 paths.
std::string readWholeFile(const std::filesystem::path& path);
void writeWholeFile(const std::filesystem::path& path, const std::string& data);

}  // namespace quorvo::test
