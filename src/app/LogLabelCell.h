#pragma once

#include <memory>
#include <string>

#include "SessionState.h"
#include "base/TextBinding.h"

namespace tarvix::app {

/// The status text `logLabel` of one window, as the capture tasks and upload progress write it.
/// Keeps the window's state alive for as long as a writer holds the binding.
class LogLabelCell final : public tarvix::TextCell {
public:
    explicit LogLabelCell(std::shared_ptr<SessionState> state) : m_state(std::move(state)) {}
    std::string text() const override { return m_state->logLabel.get(); }
    void setText(std::string text) override { m_state->logLabel.set(std::move(text)); }

private:
    std::shared_ptr<SessionState> m_state;
};

}  // namespace tarvix::app
