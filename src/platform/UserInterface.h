#pragma once

#include <functional>
#include <string>

namespace tarvix::platform {

/// What the core needs from whatever shows the window. Implemented by the app; a headless
/// implementation serves tests and tools.
class UserInterface {
public:
    virtual ~UserInterface() = default;
    /// A modal message with one button, shown on the interface thread. Never blocks the caller.
    virtual void displayAlert(const std::string& title, const std::string& message, const std::string& buttonTitle) = 0;
    /// Runs `work` on the interface thread, after every earlier posted work item.
    virtual void postToMainThread(std::function<void()> work) = 0;
};

}  // namespace tarvix::platform
