#include "QtUserInterface.h"

#include <QMessageBox>
#include <QPushButton>

#include "WindowText.h"

namespace tarvix::app {

QtUserInterface::QtUserInterface() = default;

void QtUserInterface::displayAlert(const std::string& title, const std::string& message, const std::string& buttonTitle)
{
    // The core writes its alerts in English; the user reads them in the window's language.
    postToMainThread([title = windowText(QString::fromStdString(title)),
                      message = windowText(QString::fromStdString(message)),
                      button = windowText(QString::fromStdString(buttonTitle))] {
        auto* box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::NoButton);
        box->setInformativeText(QString());
        box->setText(title);
        box->setInformativeText(message);
        box->addButton(button, QMessageBox::AcceptRole);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(true);
        box->open();  // modal to the user, but nobody waits for it
    });
}

void QtUserInterface::postToMainThread(std::function<void()> work)
{
    // Queued on this object's (the GUI) thread: runs after everything posted before it.
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

}  // namespace tarvix::app
