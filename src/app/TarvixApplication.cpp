#include "TarvixApplication.h"

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <future>
#include <memory>

#include "AccessibleControl.h"
#include "ContentView.h"
#include "QtUserInterface.h"
#include "ReportSentNotice.h"
#include "SingleInstance.h"
#include "Translations.h"
#include "core/lifecycle/Lifecycle.h"

// closing() carries a private event type; the handler never looks at it.
Q_DECLARE_OPAQUE_POINTER(QQuickCloseEvent*)

namespace tarvix::app {

namespace {

const QUrl kMainQml(QStringLiteral("qrc:/qt/qml/Tarvix/qml/Main.qml"));

/// Installed layout: bin/tarvix next to libexec/tarvix/ (also in the build tree).
std::filesystem::path libexecFolder()
{
    const QString path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../libexec/tarvix");
    return QDir::cleanPath(path).toStdString();
}

}  // namespace

TarvixApplication::TarvixApplication(QQmlEngine& engine, const platform::Platform& platform,
                                     TarvixApp::WindowWorkspace firstWindow, QObject* parent)
    : QObject(parent), m_engine(engine), m_platform(platform), m_nextWindow(std::move(firstWindow))
{
    connect(&m_notice, &StillRunningNotice::activated, this, &TarvixApplication::showWindow);
}

QQuickWindow* TarvixApplication::showWindow(const QByteArray& activationToken)
{
    if (!m_window) m_window = openWindow();
    if (!m_window) return nullptr;
    m_notice.withdraw();
    // Qt 6.4 takes an activation token only from the environment, and the environment is never
    // changed once a second thread runs (captures and libraries read it meanwhile): the launcher's
    // token is there from the start, a later one goes unused and the compositor decides alone.
    Q_UNUSED(activationToken);
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
    return m_window;
}

void TarvixApplication::setPendingReports(PendingReports* reports)
{
    m_reports = reports;
    reports->setWindowUploading([this] {
        const auto* view =
            m_window ? m_window->findChild<ContentView*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
        return view && view->phase() == Phase::uploading;
    });
    connect(reports, &PendingReports::sentInBackground, this, &postReportSent);
}

QQuickWindow* TarvixApplication::openWindow()
{
    QQmlComponent component(&m_engine, kMainQml);
    auto* view = new ContentView(m_platform, std::exchange(m_nextWindow, TarvixApp::nextWindow(m_nextWindow)));
    QObject* root =
        component.createWithInitialProperties({{QStringLiteral("view"), QVariant::fromValue(view)},
                                               {QStringLiteral("reports"), QVariant::fromValue(m_reports)}});
    auto* window = qobject_cast<QQuickWindow*>(root);
    if (!window) {
        qCritical("Cannot open the window: %s", qPrintable(component.errorString()));
        delete root;
        delete view;
        return nullptr;
    }
    view->setParent(window);
    if (m_reports) {
        view->setStaysRunning([reports = QPointer(m_reports)] { return reports && reports->hasPending(); });
        // A window's own upload goes first: one of the background ones gives way.
        connect(view, &ContentView::phaseChanged, m_reports, [view, reports = m_reports] {
            if (view->phase() == Phase::uploading) reports->yieldToWindow();
        });
        connect(window, &QQuickWindow::frameSwapped, m_reports, &PendingReports::watchNetwork,
                Qt::SingleShotConnection);
    }
    connect(window, &QQuickWindow::closing, this, &TarvixApplication::windowClosing);
    return window;
}

void TarvixApplication::windowClosing()
{
    QPointer<QQuickWindow> window = m_window;
    m_window = nullptr;
    if (!window) return;
    const auto* view = window->findChild<ContentView*>(QString(), Qt::FindDirectChildrenOnly);
    QString activity = view ? view->backgroundActivity() : QString();
    if (activity.isEmpty() && m_reports && m_reports->hasPending())
        activity = QStringLiteral("Tarvix will send the reports kept to send later when it can.");
    TarvixApp::windowClosed();
    window->deleteLater();
    // No dock or tray on Linux: without this the user cannot see that work goes on.
    if (!activity.isEmpty()) m_notice.post(activity);
}

int TarvixApplication::run(int argc, char* argv[])
{
    // A form of text and a few controls needs no GPU: the raster renderer draws it without a GL
    // context, starts sooner, takes a fraction of the memory software GL does, and still works
    // where the graphics driver is what is broken on the machine being looked at. A backend the
    // user names still wins.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") && qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Tarvix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.norvane.Tarvix"));
    installTranslations();
    // The process outlives its window; a later start asks it for the window again.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(SingleInstance::defaultSocketPath());
    if (instance.forwardToRunningInstance(qgetenv("XDG_ACTIVATION_TOKEN"))) return 0;
    // Reading every installed font is a sixth of the start; it runs beside the loading of the
    // window, which waits for it only at its first text. Joined before the application ends.
    const auto fonts = std::async(std::launch::async, [] { QFontDatabase::families(); });

    // The one platform object of the process: everything that needs the system gets it from here.
    platform::Platform system = platform::Platform::fromSystem(libexecFolder());
    system.ui = std::make_shared<QtUserInterface>();

    auto firstWindow = TarvixApp::startUp(system.folders);
    installAccessibleControls();

    QQmlEngine engine;
    TarvixApplication tarvix(engine, system, std::move(firstWindow));
    // Resumes what an earlier run kept to send later.
    PendingReports reports(system.folders.library.value_or(system.folders.home / "Library") / "Tarvix",
                           pending::RetrySchedule{});
    tarvix.setPendingReports(&reports);
    if (const auto listening = instance.listen(); !listening)
        qWarning("Another start of Tarvix will not find this one: %s", listening.message().c_str());
    connect(&instance, &SingleInstance::windowRequested, &tarvix, &TarvixApplication::showWindow);
    if (!tarvix.showWindow(qgetenv("XDG_ACTIVATION_TOKEN"))) return 1;
    return app.exec();
}

}  // namespace tarvix::app
