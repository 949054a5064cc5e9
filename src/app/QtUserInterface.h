#pragma once

#include <QObject>

#include "platform/UserInterface.h"

namespace tarvix::app {

/// Alerts and main-thread hops for the core, on the GUI thread. Create it on the GUI thread.
class QtUserInterface final : public QObject, public platform::UserInterface {
    Q_OBJECT
public:
    QtUserInterface();
    void displayAlert(const std::string& title, const std::string& message, const std::string& buttonTitle) override;
    void postToMainThread(std::function<void()> work) override;
};

}  // namespace tarvix::app
