#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace tarvix::platform {

/// No window: alerts are recorded (and printed to standard error); posted work runs on one
/// private thread, in order.
class HeadlessUserInterface final : public UserInterface {
public:
    struct Alert {
        std::string title, message, buttonTitle;
    };

    HeadlessUserInterface();
    ~HeadlessUserInterface() override;

    void displayAlert(const std::string& title, const std::string& message, const std::string& buttonTitle) override;
    void postToMainThread(std::function<void()> work) override;

    std::vector<Alert> alerts() const;
    /// Waits until every work item posted so far has run.
    void drain();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarvix::platform
