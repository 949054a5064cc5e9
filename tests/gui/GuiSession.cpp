#include "GuiSession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

#include <thread>

#include "QtUserInterface.h"
#include "core/log/Logger.h"
#include "core/shell/Lifecycle.h"
#include "core/workspace/UtilityFunctions.h"

Q_IMPORT_QML_PLUGIN(TarvixPlugin)

namespace tarvix::test {

namespace {

const QUrl kMainQml(QStringLiteral("qrc:/qt/qml/Tarvix/qml/Main.qml"));

void collect(QQuickItem* item, const QString& name, QQuickItem*& found)
{
    if (found || !item) return;
    if (item->objectName() == name) {
        found = item;
        return;
    }
    for (QQuickItem* child : item->childItems()) collect(child, name, found);
}

void collectControl(QQuickItem* item, const QString& text, QQuickItem*& found)
{
    if (found || !item || !item->isVisible()) return;
    const QVariant value = item->property("text");
    if (item->inherits("QQuickAbstractButton") && value.isValid() && value.toString() == text) {
        found = item;
        return;
    }
    for (QQuickItem* child : item->childItems()) collectControl(child, text, found);
}

bool showsText(QQuickItem* item, const QString& text)
{
    if (!item || !item->isVisible() || item->opacity() == 0) return false;
    if (item->property("text").toString() == text && item->width() > 0) return true;
    for (QQuickItem* child : item->childItems())
        if (showsText(child, text)) return true;
    return false;
}

}  // namespace

void GuiSession::type(const QString& text)
{
    for (QChar c : text) QTest::keyClick(m_window, c.toLatin1());
}

bool GuiSession::textShown(const QString& text) const { return showsText(m_window->contentItem(), text); }

GuiSession::GuiSession() : m_sandbox(std::make_unique<Sandbox>(TARVIX_LIBEXEC_DIR))
{
    platform::Platform withWindow = m_sandbox->platform();
    withWindow.ui = std::make_shared<QtUserInterface>();
    platform::install(withWindow);
    // What start-up does before the first window.
    if (UtilityFunctions::CreateOutputDirectories())
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
    m_view = new ContentView;
    QQmlComponent component(m_engine.get(), kMainQml);
    if (!component.isReady()) qFatal("Main.qml did not load: %s", qPrintable(component.errorString()));
    QObject* root = component.createWithInitialProperties({{QStringLiteral("view"), QVariant::fromValue(m_view)}});
    m_window = qobject_cast<QQuickWindow*>(root);
    if (!m_window) qFatal("Main.qml did not load: %s", qPrintable(component.errorString()));
    m_view->setParent(m_window);
    m_window->resize(572, 528);
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
    QQuickItem* found = nullptr;
    collect(m_window->contentItem(), objectName, found);
    return found;
}

bool GuiSession::shown(const QString& objectName) const
{
    QQuickItem* found = item(objectName);
    return found && found->isVisible() && found->width() > 0 && found->height() > 0;
}

void GuiSession::click(const QString& objectName)
{
    QQuickItem* target = item(objectName);
    if (!target) qFatal("no item %s", qPrintable(objectName));
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

QQuickItem* GuiSession::control(const QString& text) const
{
    QQuickItem* found = nullptr;
    collectControl(m_window->contentItem(), text, found);
    return found;
}

void GuiSession::clickControl(const QString& text)
{
    QQuickItem* target = control(text);
    if (!target) qFatal("no control %s", qPrintable(text));
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
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

bool GuiSession::waitIdle()
{
    return waitUntil([this] { return m_view->isIdle(); });
}

QString GuiSession::cell(const char* name) const { return m_view->property(name).toString(); }

std::string GuiSession::screenshot(const std::string& name)
{
    QDir().mkpath(QStringLiteral(TARVIX_GUI_OUTPUT_DIR));
    const QString file = QStringLiteral(TARVIX_GUI_OUTPUT_DIR "/") + QString::fromStdString(name) + ".png";
    QCoreApplication::processEvents();
    m_window->grabWindow().save(file);
    return file.toStdString();
}

std::vector<std::string> GuiSession::openAlerts() const
{
    std::vector<std::string> alerts;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible()) continue;
        std::string buttons;
        for (QAbstractButton* button : box->buttons()) buttons += button->text().toStdString();
        alerts.push_back(box->windowTitle().toStdString() + "|" + box->informativeText().toStdString() + "|" +
                         buttons);
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
