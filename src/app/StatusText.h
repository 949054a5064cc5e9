#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "base/TextBinding.h"

namespace tarvix::app {

/// The status line of one window's session: written by its controller and, as progress, by the
/// capture run and the upload from their own threads (the upload also reads it back for the log).
/// A write calls `wake` (which must hand over to the interface thread itself) unless an earlier
/// wake is still pending: writes faster than the window reads them wake it once.
class StatusText final : public tarvix::TextCell {
public:
    explicit StatusText(std::function<void()> wake) : m_wake(std::move(wake)) {}
    std::string text() const override;
    void setText(std::string text) override;
    /// On the interface thread, when woken: the next write wakes again.
    void woken();

private:
    const std::function<void()> m_wake;
    mutable std::mutex m_mutex;
    std::string m_text = " ";
    bool m_wakePending = false;
};

}  // namespace tarvix::app
