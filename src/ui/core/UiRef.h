#pragma once

// UiRef<T>: a copyable handle on a control for other threads. Make it on the
// user-interface thread (control.weakRef<T>()), hand it to a worker, and let
// the worker post or send work for the control: the work runs on the
// user-interface thread, and is dropped when the control is gone by then.

#include "ui/core/UiDispatcher.h"

#include <functional>
#include <memory>
#include <optional>

namespace quorvo::ui {

class UiControl;

template <typename T> class UiRef {
public:
    UiRef() = default;
    // User-interface thread only.
    explicit UiRef(UiControl& control);

    // Any thread. False when the work cannot be queued.
    bool post(std::function<void(T&)> work) const
    {
        if (m_dispatcher == nullptr) {
            return false;
        }
        return m_dispatcher->post([target = m_target, work = std::move(work)] {
            if (const auto alive = target.lock()) {
                work(static_cast<T&>(**alive));
            }
        });
    }
    // Any thread; waits. False when the work could not run or the control was gone.
    bool send(std::function<void(T&)> work) const
    {
        if (m_dispatcher == nullptr) {
            return false;
        }
        bool ran = false;
        const bool sent = m_dispatcher->send([&] {
            if (const auto alive = m_target.lock()) {
                work(static_cast<T&>(**alive));
                ran = true;
            }
        });
        return sent && ran;
    }
    [[nodiscard]] explicit operator bool() const { return m_dispatcher != nullptr; }

private:
    const UiDispatcher* m_dispatcher = nullptr;
    std::weak_ptr<UiControl*> m_target;
};

}  // namespace quorvo::ui
