#pragma once

// Entry points of optional libraries, bound by name the first time they are
// called (dlopen/dlsym). A library or entry that cannot be found is reported
// through the binder's reporter with the framework's "DLL ERROR" texts; the
// default reporter prints the message and ends the process.

#include "runtime/Text.h"

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvo::gfx {

// How an entry name is looked up: "#12" is ordinal 12; "Func@@8" is "Func"
// (cut at a doubled "@"); anything else is the name itself.
struct EntryName {
    std::string symbol;
    std::optional<unsigned long> ordinal;

    friend bool operator==(const EntryName&, const EntryName&) = default;
};
EntryName parseEntryName(std::string_view entry);

struct BindFailure {
    Text caption;  // "DLL ERROR"
    Text message;  // program text (GBK) naming the module, and the entry when it was the entry that failed
};

// Message texts, exactly as the framework shows them.
Text missingLibraryMessage(std::string_view module);
Text missingEntryMessage(std::string_view module, std::string_view entry);

class EntryBinder {
public:
    using Reporter = std::function<void(const BindFailure&)>;

    // Prints the failure to stderr and ends the process, like the message box
    // the framework shows before it exits.
    static Reporter exitingReporter();

    explicit EntryBinder(Reporter reporter = exitingReporter());
    EntryBinder(const EntryBinder&) = delete;
    EntryBinder& operator=(const EntryBinder&) = delete;
    // Releases every library the binder loaded.
    ~EntryBinder();

    // The entry's address, or nullptr after the failure was reported.
    void* bind(std::string_view module, std::string_view entry);

    [[nodiscard]] std::size_t loadedLibraryCount() const { return m_libraries.size(); }

private:
    void* library(std::string_view module);

    Reporter m_reporter;
    std::unordered_map<std::string, void*> m_libraries;
};

// One late-bound slot: bound on first call, called directly afterwards.
template <typename Signature> class LateBound;

template <typename Result, typename... Args> class LateBound<Result(Args...)> {
public:
    LateBound(EntryBinder& binder, std::string module, std::string entry)
        : m_binder(binder)
        , m_module(std::move(module))
        , m_entry(std::move(entry))
    { }

    // False when the entry could not be bound (and the failure was reported).
    bool resolve()
    {
        if (m_function == nullptr) {
            void* address = m_binder.bind(m_module, m_entry);
            if (address != nullptr) {
                static_assert(sizeof address == sizeof m_function);
                std::memcpy(&m_function, &address, sizeof m_function);
            }
        }
        return m_function != nullptr;
    }

    [[nodiscard]] bool isBound() const { return m_function != nullptr; }

    // Calls the entry; when it cannot be bound, returns a value-initialised result.
    Result operator()(Args... args)
    {
        if (!resolve()) {
            return Result();
        }
        return m_function(args...);
    }

private:
    EntryBinder& m_binder;
    std::string m_module;
    std::string m_entry;
    Result (*m_function)(Args...) = nullptr;
};

}  // namespace quorvo::gfx
