#pragma once

#include <mutex>
#include <utility>

namespace tarvix {

/// A process-wide value that the interface flows write and background work reads. Each access
/// takes a lock, so no reader ever sees a half-written value; ordering between flows is still
/// the flows' business.
template <typename T>
class Guarded {
public:
    Guarded() = default;
    explicit Guarded(T initial) : m_value(std::move(initial)) {}
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    T get() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    void set(T value)
    {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }
    /// Read-modify-write under the lock: `fn(T&)`.
    template <typename Fn>
    decltype(auto) update(Fn&& fn)
    {
        std::lock_guard lock(m_mutex);
        return std::forward<Fn>(fn)(m_value);
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};

}  // namespace tarvix
