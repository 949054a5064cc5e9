#pragma once

#include <QAccessible>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "ContentView.h"
#include "support/Sandbox.h"

class QQmlEngine;

namespace tarvix::test {

/// One window of Tarvix offscreen over a fresh sandbox, as start-up leaves it: the workspace
/// made, the log in its "System" folder, alerts and main-thread work on the Qt event loop.
class GuiSession {
public:
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    Sandbox& sandbox() { return *m_sandbox; }
    app::ContentView& view() { return *m_view; }
    QQuickWindow& window() { return *m_window; }

    /// Opens the window (after the test has laid out what it needs in the sandbox).
    void open();
    /// Closes the window as the user does (close handler included) and opens a fresh one.
    void reopen();
    QQuickItem* item(const QString& objectName) const;  // null when missing
    /// Whether the item exists and has a size on screen.
    bool shown(const QString& objectName) const;
    /// The regions on screen by objectName, e.g. "capturePanel statusLine primaryButton".
    std::string regions() const;
    QQuickItem* control(const QString& text) const;  // the first visible button or link with this text
    /// Real mouse clicks at the centre of an item by objectName, or of a control by text.
    void click(const QString& objectName);
    void clickControl(const QString& text);
    void type(const QString& asciiText);  // as key presses into the focused item
    bool textShown(const QString& text) const;
    /// Processes events until `condition` holds; false on time-out.
    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(30));
    bool waitForLabel(const QString& startButtonLabel);
    /// Waits until the press being dispatched has run.
    bool waitIdle()
    {
        return waitUntil([this] { return m_view->isIdle(); });
    }
    QString cell(const char* name) const { return m_view->property(name).toString(); }
    bool focusIs(app::Field field) const { return m_view->feedbackFormFocus() == static_cast<int>(field); }
    /// The item as assistive technologies see it.
    static QAccessibleInterface* accessible(QQuickItem* item) { return QAccessible::queryAccessibleInterface(item); }
    bool logged(const std::string& message) const;
    /// Writes the window to <build>/screenshots/NAME.png.
    void screenshot(const std::string& name);
    /// The message boxes open now, as "title|message|buttons".
    std::vector<std::string> openAlerts() const;
    void closeAlerts();

private:
    std::unique_ptr<Sandbox> m_sandbox;
    std::unique_ptr<QQmlEngine> m_engine;
    QQuickWindow* m_window = nullptr;
    app::ContentView* m_view = nullptr;
};

}  // namespace tarvix::test
