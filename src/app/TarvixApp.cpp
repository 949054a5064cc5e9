#include "TarvixApp.h"

#include <QApplication>
#include <QDir>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <memory>

#include "ContentView.h"
#include "QtUserInterface.h"
#include "SingleInstance.h"
#include "core/lifecycle/Lifecycle.h"

// closing() carries a private event type; the handler never looks at it.
Q_DECLARE_OPAQUE_POINTER(QQuickCloseEvent*)

namespace {

constexpr int kDefaultWidth = 572;
constexpr int kDefaultHeight = 528;
const QUrl kMainQml(QStringLiteral("qrc:/qt/qml/Tarvix/qml/Main.qml"));

/// Installed layout: bin/tarvix next to libexec/tarvix/ (also in the build tree).
std::filesystem::path libexecFolder()
{
    const QString path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../libexec/tarvix");
    return QDir::cleanPath(path).toStdString();
}

}  // namespace

TarvixApplication::TarvixApplication(QQmlEngine& engine, const platform::Platform& platform, QObject* parent)
    : QObject(parent), m_engine(engine), m_platform(platform)
{
}

QQuickWindow* TarvixApplication::openWindow()
{
    QQmlComponent component(&m_engine, kMainQml);
    auto* view = new ContentView(m_platform);
    QObject* root = component.createWithInitialProperties({{QStringLiteral("view"), QVariant::fromValue(view)}});
    auto* window = qobject_cast<QQuickWindow*>(root);
    if (!window) {
        qCritical("Cannot open the window: %s", qPrintable(component.errorString()));
        delete root;
        delete view;
        return nullptr;
    }
    view->setParent(window);
    window->resize(kDefaultWidth, kDefaultHeight);
    connect(window, &QQuickWindow::closing, window, [window] {
        TarvixApp::windowClosed();
        window->deleteLater();
    });
    window->show();
    return window;
}

int TarvixApplication::run(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvix"));
    QApplication::setDesktopFileName(QStringLiteral("com.norvane.Tarvix"));
    // The process outlives its windows; a later start asks it for a new one.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(SingleInstance::defaultName());
    if (instance.forwardToRunningInstance()) return 0;

    // The one platform object of the process: everything that needs the system gets it from here.
    platform::Platform system = platform::Platform::fromSystem(libexecFolder());
    system.ui = std::make_shared<QtUserInterface>();

    TarvixApp::startUp(system.folders);

    QQmlEngine engine;
    TarvixApplication tarvix(engine, system);
    if (!instance.listen()) qWarning("Another start of Tarvix will not find this one: no local socket.");
    connect(&instance, &SingleInstance::windowRequested, &tarvix, [&tarvix] {
        if (QQuickWindow* window = tarvix.openWindow()) {
            window->raise();
            window->requestActivate();
        }
    });
    if (!tarvix.openWindow()) return 1;
    return app.exec();
}
