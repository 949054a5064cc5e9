#include "GuiSession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>
#include <algorithm>
#include <thread>

#include "QtUserInterface.h"
#include "core/lifecycle/Lifecycle.h"
#include "core/log/Logger.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"

Q_IMPORT_QML_PLUGIN(TarvixPlugin)

namespace tarvix::test {

namespace {

const QUrl kMainQml(QStringLiteral("qrc:/qt/qml/Tarvix/qml/Main.qml"));

/// Depth-first search; `visibleOnly` skips hidden and transparent subtrees.
QQuickItem* findItem(QQuickItem* item, bool visibleOnly, const std::function<bool(QQuickItem*)>& matches)
{
    if (!item || (visibleOnly && (!item->isVisible() || item->opacity() == 0))) return nullptr;
    if (matches(item)) return item;
    for (QQuickItem* child : item->childItems())
        if (QQuickItem* found = findItem(child, visibleOnly, matches)) return found;
    return nullptr;
}

void clickCentre(QQuickWindow* window, QQuickItem* target)
{
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

}  // namespace

GuiSession::GuiSession() : m_sandbox(std::make_unique<Sandbox>(TARVIX_LIBEXEC_DIR))
{
    m_sandbox->platform().ui = std::make_shared<tarvix::app::QtUserInterface>();
    // What start-up does before the first window.
    if (UtilityFunctions::CreateOutputDirectories(m_sandbox->folders()))
        Logger::changeLogFileLocation(*UtilityFunctions::tempSystemURL.get());
    UtilityFunctions::isOutputDirectoryCreated = true;
}

GuiSession::~GuiSession()
{
    closeAlerts();
    delete m_window;  // the view is the window's child
    m_engine.reset();
    QCoreApplication::processEvents();
}

void GuiSession::open()
{
    m_engine = std::make_unique<QQmlEngine>();
    m_view = new tarvix::app::ContentView(m_sandbox->platform());
    QQmlComponent component(m_engine.get(), kMainQml);
    QObject* root = component.createWithInitialProperties({{QStringLiteral("view"), QVariant::fromValue(m_view)}});
    m_window = qobject_cast<QQuickWindow*>(root);
    if (!m_window) qFatal("Main.qml did not load: %s", qPrintable(component.errorString()));
    m_view->setParent(m_window);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window)) qWarning("window not exposed");
}

void GuiSession::reopen()
{
    m_window->close();
    TarvixApp::windowClosed();
    delete m_window;
    m_window = nullptr;
    m_engine.reset();
    open();
}

QQuickItem* GuiSession::item(const QString& objectName) const
{
    return findItem(m_window->contentItem(), false, [&](QQuickItem* i) { return i->objectName() == objectName; });
}

bool GuiSession::shown(const QString& objectName) const
{
    QQuickItem* found = item(objectName);
    return found && found->isVisible() && found->width() > 0 && found->height() > 0;
}

std::string GuiSession::regions() const
{
    std::string text;
    for (const char* name : {"capturePanel", "feedbackForm", "sentPanel", "statusLine", "logsGeneratedPanel",
                             "failurePanel", "primaryButton", "closeButton"})
        if (shown(name)) text += (text.empty() ? "" : " ") + std::string(name);
    return text;
}

QQuickItem* GuiSession::control(const QString& text) const
{
    return findItem(m_window->contentItem(), true, [&](QQuickItem* i) {
        return i->inherits("QQuickAbstractButton") && i->property("text").toString() == text;
    });
}

void GuiSession::click(const QString& objectName)
{
    QQuickItem* target = item(objectName);
    if (!target) qFatal("no item %s", qPrintable(objectName));
    clickCentre(m_window, target);
}

void GuiSession::clickControl(const QString& text)
{
    QQuickItem* target = control(text);
    if (!target) qFatal("no control %s", qPrintable(text));
    clickCentre(m_window, target);
}

void GuiSession::type(const QString& text)
{
    for (QChar c : text) QTest::keyClick(m_window, c.toLatin1());
}

bool GuiSession::textShown(const QString& text) const
{
    return findItem(m_window->contentItem(), true,
                    [&](QQuickItem* i) { return i->width() > 0 && i->property("text").toString() == text; });
}

bool GuiSession::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    QCoreApplication::processEvents();
    return true;
}

bool GuiSession::waitForLabel(const QString& label)
{
    return waitUntil([&] { return cell("startButtonLabel") == label; });
}

bool GuiSession::logged(const std::string& message) const
{
    const auto messages = m_sandbox->logMessages();
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

void GuiSession::screenshot(const std::string& name)
{
    QDir().mkpath(QStringLiteral(TARVIX_GUI_OUTPUT_DIR));
    QCoreApplication::processEvents();
    m_window->grabWindow().save(QStringLiteral(TARVIX_GUI_OUTPUT_DIR "/") + QString::fromStdString(name) + ".png");
}

std::vector<std::string> GuiSession::openAlerts() const
{
    std::vector<std::string> alerts;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible()) continue;
        std::string buttons;
        for (QAbstractButton* button : box->buttons()) buttons += button->text().toStdString();
        alerts.push_back(box->windowTitle().toStdString() + "|" + box->informativeText().toStdString() + "|" + buttons);
    }
    return alerts;
}

void GuiSession::closeAlerts()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget)) box->close();
    QCoreApplication::processEvents();
}

}  // namespace tarvix::test
