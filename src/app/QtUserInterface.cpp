#include "QtUserInterface.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QWindow>

#include "WindowText.h"

namespace tarvix::app {

QtUserInterface::QtUserInterface() = default;

QtUserInterface::~QtUserInterface()
{
    // An alert still shown goes before the engine that runs its bindings.
    if (m_engine) qDeleteAll(m_engine->findChildren<QWindow*>(QString(), Qt::FindDirectChildrenOnly));
}

void QtUserInterface::displayAlert(const std::string& title, const std::string& message, const std::string& buttonTitle)
{
    // The core writes its alerts in English; the user reads them in the window's language.
    postToMainThread([this, title = windowText(QString::fromStdString(title)),
                      message = windowText(QString::fromStdString(message)),
                      button = windowText(QString::fromStdString(buttonTitle))] { showAlert(title, message, button); });
}

void QtUserInterface::showAlert(const QString& title, const QString& message, const QString& buttonTitle)
{
    if (!m_engine) m_engine = std::make_unique<QQmlEngine>();
    QQmlComponent component(m_engine.get(), QUrl(QStringLiteral("qrc:/qt/qml/Tarvix/qml/Alert.qml")));
    // Qt 6.4 crashes creating a component that did not load, so it is asked first.
    QObject* object = component.isReady()
                          ? component.createWithInitialProperties({{QStringLiteral("heading"), title},
                                                                   {QStringLiteral("message"), message},
                                                                   {QStringLiteral("buttonTitle"), buttonTitle}})
                          : nullptr;
    auto* alert = qobject_cast<QWindow*>(object);
    if (!alert) {
        qCritical("Cannot show the alert \"%s\": %s", qPrintable(title), qPrintable(component.errorString()));
        delete object;
        return;
    }
    alert->QObject::setParent(m_engine.get());
    // Placed over the window it speaks of, as a dialog is.
    if (QWindow* front = QGuiApplication::focusWindow()) alert->setTransientParent(front);
    // Modal to the user, but nobody waits for it.
    connect(alert, &QWindow::visibleChanged, alert, [alert](bool visible) {
        if (!visible) alert->deleteLater();
    });
    alert->show();
    alert->requestActivate();
}

void QtUserInterface::postToMainThread(std::function<void()> work)
{
    // Queued on this object's (the GUI) thread: runs after everything posted before it.
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

}  // namespace tarvix::app
