#include "gfx/EntryBinder.h"

#include "runtime/Encoding.h"

#include <dlfcn.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace quorvo::gfx {

namespace {

Text fromUtf8Literal(std::string_view utf8)
{
    return encoding::fromUtf8(utf8);
}

}  // namespace

EntryName parseEntryName(std::string_view entry)
{
    if (!entry.empty() && entry.front() == '#') {
        const std::string_view digits = entry.substr(1);
        unsigned long ordinal = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), ordinal);
        if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty()) {
            return {std::string(entry), ordinal};
        }
        return {std::string(entry), std::nullopt};
    }
    const std::size_t at = entry.find('@');
    if (at != std::string_view::npos && at + 1 < entry.size() && entry[at + 1] == '@') {
        return {std::string(entry.substr(0, at)), std::nullopt};
    }
    return {std::string(entry), std::nullopt};
}

Text missingLibraryMessage(std::string_view module)
{
    return fromUtf8Literal("同目录下无法找到DLL文件:\"") + module + fromUtf8Literal("\".请与作者联系.");
}

Text missingEntryMessage(std::string_view module, std::string_view entry)
{
    return fromUtf8Literal("无法定位DLL文件:\"") + module + fromUtf8Literal("\"当中的\"") + entry
        + fromUtf8Literal("\"函数.");
}

EntryBinder::Reporter EntryBinder::exitingReporter()
{
    return [](const BindFailure& failure) {
        std::fprintf(stderr, "%s: %s\n", encoding::toUtf8(failure.caption.view()).c_str(),
                     encoding::toUtf8(failure.message.view()).c_str());
        std::exit(EXIT_FAILURE);
    };
}

EntryBinder::EntryBinder(Reporter reporter)
    : m_reporter(std::move(reporter))
{ }

EntryBinder::~EntryBinder()
{
    for (auto& [name, handle] : m_libraries) {
        dlclose(handle);
    }
}

void* EntryBinder::library(std::string_view module)
{
    const std::string key(module);
    if (const auto found = m_libraries.find(key); found != m_libraries.end()) {
        return found->second;
    }
    void* handle = dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
        m_libraries.emplace(key, handle);
    }
    return handle;
}

void* EntryBinder::bind(std::string_view module, std::string_view entry)
{
    void* handle = library(module);
    if (handle == nullptr) {
        if (m_reporter) {
            m_reporter({"DLL ERROR", missingLibraryMessage(module)});
        }
        return nullptr;
    }
    const EntryName name = parseEntryName(entry);
    // ELF has no export ordinals: an ordinal never resolves.
    void* address = name.ordinal ? nullptr : dlsym(handle, name.symbol.c_str());
    if (address == nullptr) {
        if (m_reporter) {
            m_reporter({"DLL ERROR", missingEntryMessage(module, entry)});
        }
        return nullptr;
    }
    return address;
}

}  // namespace quorvo::gfx
