#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QAccessible>
#include <QGuiApplication>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQuickTest>
#include <functional>
#include <string>

#include "ContentView.h"
#include "QtUserInterface.h"
#include "TarvixApplication.h"
#include "core/lifecycle/Lifecycle.h"
#include "support/Sandbox.h"

namespace tarvix::test {

/// Tarvix offscreen over a fresh sandbox, started up as the program is; its window is opened and
/// closed through the application, alerts and main-thread work run on the Qt event loop.
class GuiSession {
public:
    GuiSession() = default;
    ~GuiSession() { delete m_window; }  // the view is the window's child

    Sandbox& sandbox() { return m_sandbox; }
    app::ContentView& view() { return *m_window->findChild<app::ContentView*>(); }
    QQuickWindow& window() { return *m_window; }

    /// Keeps failed shares to send later on `retries`; before open().
    app::PendingReports& keepReports(pending::RetrySchedule retries)
    {
        m_reports = std::make_unique<app::PendingReports>(m_sandbox.library() / "Tarvix", retries);
        m_application.setPendingReports(m_reports.get());
        return *m_reports;
    }
    /// Opens the window (after the test has laid out what it needs in the sandbox).
    void open()
    {
        m_window = m_application.showWindow();
        if (!m_window || !QTest::qWaitForWindowExposed(m_window)) qFatal("the window did not open");
    }
    /// Closes the window as the user does, its deletion included.
    void close()
    {
        m_window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    /// Depth-first from the window's content; `visibleOnly` skips hidden and transparent parts.
    QQuickItem* find(const std::function<bool(QQuickItem*)>& matches, bool visibleOnly = true,
                     QQuickItem* from = nullptr) const
    {
        from = from ? from : m_window->contentItem();
        if (visibleOnly && (!from->isVisible() || from->opacity() == 0)) return nullptr;
        if (matches(from)) return from;
        for (QQuickItem* child : from->childItems())
            if (QQuickItem* found = find(matches, visibleOnly, child)) return found;
        return nullptr;
    }
    QQuickItem* item(const QString& name) const
    {
        return find([&](QQuickItem* i) { return i->objectName() == name; }, false);
    }
    bool shown(const QString& name) const
    {
        return find([&](QQuickItem* i) { return i->objectName() == name && i->width() > 0 && i->height() > 0; });
    }
    /// The regions on screen by objectName, e.g. "capturePanel statusLine primaryButton".
    std::string regions() const
    {
        std::string text;
        for (const char* name : {"capturePanel", "feedbackForm", "sentPanel", "statusLine", "logsGeneratedPanel",
                                 "failurePanel", "primaryButton", "closeButton"})
            if (shown(name)) text += (text.empty() ? "" : " ") + std::string(name);
        return text;
    }
    /// The first visible button or link with this text.
    QQuickItem* control(const QString& text) const
    {
        return find([&](QQuickItem* i) {
            return i->inherits("QQuickAbstractButton") && i->property("text").toString() == text;
        });
    }
    /// A real mouse click at its centre, once it is shown and laid out (a person waits for that too;
    /// a panel made when first shown may still be placed when the phase that shows it begins).
    void clickControl(const QString& text)
    {
        waitUntil([&] { return control(text) != nullptr; });
        click(control(text), text);
    }
    void click(QQuickItem* target, const QString& what = {})
    {
        if (!target) qFatal("no control %s", qPrintable(what));
        waitUntil([&] { return target->isVisible() && target->width() > 0 && target->height() > 0; });
        if (QQuickTest::qIsPolishScheduled(m_window) && !QQuickTest::qWaitForPolish(m_window, 60000))
            qFatal("the window was never laid out for %s", qPrintable(what));
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    }
    void type(const QString& ascii)
    {
        for (QChar c : ascii) QTest::keyClick(m_window, c.toLatin1());
    }
    bool textShown(const QString& text) const
    {
        return find([&](QQuickItem* i) { return i->width() > 0 && i->property("text").toString() == text; });
    }
    /// Processes events until `condition` holds, as long as a person would wait for a loaded
    /// machine; false on time-out.
    bool waitUntil(const std::function<bool()>& condition)
    {
        const bool held = QTest::qWaitFor(condition, 60000);
        QCoreApplication::processEvents();  // what the last step queued for the window
        return held;
    }
    /// The primary button's title as the phase gives it, in English.
    bool waitForLabel(const QString& label)
    {
        return waitUntil([&] { return item("primaryButton")->property("title").toString() == label; });
    }
    /// Waits until the press being dispatched has run.
    bool waitIdle()
    {
        return waitUntil([this] { return view().isIdle(); });
    }
    /// Waits for an alert, checks that it holds the window back, and dismisses it with its button or
    /// `key`: "title|message|button" as shown, "" when none came.
    std::string takeAlert(Qt::Key key = Qt::Key_unknown)
    {
        QPointer<QQuickWindow> alert;
        waitUntil([&] {
            for (QWindow* window : QGuiApplication::topLevelWindows())
                if (window->objectName() == "alert" && window->isExposed()) alert = qobject_cast<QQuickWindow*>(window);
            return alert != nullptr;
        });
        if (!alert || (QQuickTest::qIsPolishScheduled(alert) && !QQuickTest::qWaitForPolish(alert, 60000))) return {};
        QStringList shown;
        QQuickItem* button = nullptr;
        for (QQuickItem* item : alert->findChildren<QQuickItem*>())
            if (item->isVisible() && item->width() > 0 && item->inherits("QQuickAbstractButton"))
                button = item;
            else if (item->isVisible() && item->width() > 0 && item->inherits("QQuickLabel"))
                shown << item->property("text").toString();
        if (!button || shown.size() != 2) return ADD_FAILURE() << "not an alert", "";
        // The window behind it takes no input until it is dismissed.
        if (QGuiApplication::modalWindow() != alert || alert->modality() != Qt::ApplicationModal)
            return ADD_FAILURE() << "the alert is not modal", "";
        const std::string text =
            (alert->title() + "|" + shown[1] + "|" + button->property("text").toString()).toStdString();
        if (key != Qt::Key_unknown)
            QTest::keyClick(alert, key);
        else
            QTest::mouseClick(alert, Qt::LeftButton, Qt::NoModifier,
                              button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint());
        if (!waitUntil([&] { return !alert; })) ADD_FAILURE() << "the alert stayed";
        return text;
    }

private:
    tarvix::TarvixApp::WindowWorkspace startedUp()
    {
        m_sandbox.platform().ui = std::make_shared<app::QtUserInterface>();
        return tarvix::TarvixApp::startUp(m_sandbox.folders());
    }

    Sandbox m_sandbox{TARVIX_LIBEXEC_DIR};
    QQmlEngine m_engine;
    app::TarvixApplication m_application{m_engine, m_sandbox.platform(), startedUp()};
    std::unique_ptr<app::PendingReports> m_reports;
    QPointer<QQuickWindow> m_window;
};

/// Holds the log server's answers back (the process stopped) for as long as it lives.
struct HeldServer {
    pid_t pid = std::stoi(runCommand("pgrep -P " + std::to_string(::getpid()) + " tarvix-logserv"));
    HeldServer() { ::kill(pid, SIGSTOP); }
    ~HeldServer() { ::kill(pid, SIGCONT); }
};

}  // namespace tarvix::test
