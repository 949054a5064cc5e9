#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QTimer>
#include <QVariantList>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/pending/PendingSender.h"

namespace tarvix::app {

class ContentView;

/// The reports kept to send later, for the whole process: keeps a window's failed share, tries
/// them again on the schedule and when the network comes back, one upload at a time, and lists
/// them for the window. The timer lives on the interface thread; the disk and the uploads do not.
class PendingReports : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the application")
    /// One map per report: session, date, size, state ("pending", "sent", "givenUp"), logId, nextAttempt.
    Q_PROPERTY(QVariantList reports READ reports NOTIFY reportsChanged)
    Q_PROPERTY(bool hasReports READ hasReports NOTIFY reportsChanged)

public:
    /// `tarvixFolder`: the workspace's own folder (~/Library/Tarvix). When it cannot hold reports
    /// nothing is offered and nothing fails.
    PendingReports(const std::filesystem::path& tarvixFolder, pending::RetrySchedule retries,
                   QObject* parent = nullptr);
    ~PendingReports() override;

    QVariantList reports() const { return m_reports; }
    bool hasReports() const { return !m_reports.isEmpty(); }
    bool hasPending() const;

    /// Keeps the failed share of `view`'s session to send later; its window no longer shares it.
    /// The copy is made off this thread: notKept() says when it could not be made.
    Q_INVOKABLE bool sendLater(tarvix::app::ContentView* view);
    Q_INVOKABLE void sendNow(const QString& session);
    Q_INVOKABLE void discard(const QString& session);
    Q_INVOKABLE void copyLogId(const QString& logId);

    /// From now on a report waiting to be sent goes out when the network comes back. Not from the
    /// constructor: the network information's backend would hold up the first frame.
    void watchNetwork();
    /// A window's own upload has started: a background one running now stops and waits.
    void yieldToWindow();
    /// Asked before a background upload: a window's own upload goes first.
    void setWindowUploading(std::function<bool()> windowUploading) { m_windowUploading = std::move(windowUploading); }

signals:
    void reportsChanged();
    void notKept();
    /// A report went out without the user asking for it just then.
    void sentInBackground(const QString& logId);

private:
    /// Relays an upload's end from its thread to this object while it lives.
    struct Relay {
        std::mutex mutex;
        PendingReports* target = nullptr;
    };

    void refresh();
    void watchIfPending();
    void schedule();
    void attempt(std::optional<std::string> session, bool background);
    void attemptFinished(const pending::AttemptOutcome& outcome, bool background);

    const pending::RetrySchedule m_retries;
    std::shared_ptr<pending::PendingStore> m_store;
    std::shared_ptr<pending::PendingSender> m_sender;
    std::shared_ptr<Relay> m_relay = std::make_shared<Relay>();
    std::function<bool()> m_windowUploading;
    QTimer m_timer;
    QVariantList m_reports;
    bool m_attempting = false;
    bool m_mayWatch = false;
    bool m_watching = false;
};

}  // namespace tarvix::app
