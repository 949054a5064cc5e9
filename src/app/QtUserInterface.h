#pragma once

#include <QObject>
#include <memory>

#include "platform/UserInterface.h"

class QQmlEngine;

namespace tarvix::app {

/// Alerts and main-thread hops for the core, on the GUI thread. Create it on the GUI thread.
class QtUserInterface final : public QObject, public platform::UserInterface {
    Q_OBJECT
public:
    QtUserInterface();
    ~QtUserInterface() override;
    void displayAlert(const std::string& title, const std::string& message, const std::string& buttonTitle) override;
    void postToMainThread(std::function<void()> work) override;

private:
    void showAlert(const QString& title, const QString& message, const QString& buttonTitle);

    /// Made at the first alert: most runs show none, and the start does not pay for it.
    std::unique_ptr<QQmlEngine> m_engine;
};

}  // namespace tarvix::app
