#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

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

}  // namespace platform
