#include "PendingReports.h"

#include <QDateTime>
#include <QLocale>
#include <QNetworkInformation>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <random>

#include "ContentView.h"
#include "DesktopActions.h"
#include "core/lifecycle/SessionSteps.h"
#include "core/log/Logger.h"

namespace tarvix::app {
namespace {

using namespace std::chrono_literals;

/// The timer wakes at least this often, so a clock set forward or a resumed laptop is noticed.
constexpr auto kLongestSleep = 10min;
/// A background attempt that finds a window uploading waits this long.
constexpr auto kWindowFirst = 30s;

QString timeText(std::int64_t seconds)
{
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

}  // namespace

PendingReports::PendingReports(const std::filesystem::path& tarvixFolder, pending::RetrySchedule retries,
                               QObject* parent)
    : QObject(parent), m_retries(retries)
{
    m_relay->target = this;
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { attempt(std::nullopt, true); });
    auto store = pending::PendingStore::open(tarvixFolder);
    if (!store) return;  // logged there
    m_store = std::move(store).value();
    m_sender = std::make_shared<pending::PendingSender>(
        m_store, retries,
        [random = std::make_shared<std::mt19937>(std::random_device{}())] {
            return std::uniform_real_distribution<double>(0.0, 1.0)(*random);
        },
        [] { return std::chrono::system_clock::now(); });
    refresh();
    schedule();
}

PendingReports::~PendingReports()
{
    std::lock_guard lock(m_relay->mutex);
    m_relay->target = nullptr;
    if (m_sender) m_sender->cancel();
}

void PendingReports::watchNetwork()
{
    m_mayWatch = true;
    watchIfPending();
}

void PendingReports::watchIfPending()
{
    // Its backend costs memory and time: only for a report that waits for the network.
    if (!m_mayWatch || m_watching || !hasPending()) return;
    m_watching = true;
    // The network coming back is the best time to try; without a backend the schedule alone runs.
    if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
                [this](QNetworkInformation::Reachability reachability) {
                    if (reachability != QNetworkInformation::Reachability::Online) return;
                    for (const QVariant& report : std::as_const(m_reports)) {
                        const QVariantMap fields = report.toMap();
                        if (fields.value("state") == "pending") {
                            attempt(fields.value("session").toString().toStdString(), true);
                            return;
                        }
                    }
                });
    }
}

bool PendingReports::hasPending() const
{
    return std::any_of(m_reports.begin(), m_reports.end(),
                       [](const QVariant& report) { return report.toMap().value("state") == "pending"; });
}

bool PendingReports::sendLater(ContentView* view)
{
    if (!m_store || !view) return false;
    const auto session = view->session();
    if (!session || !session->folder || !session->archive) return false;
    // The window's Share stays off: the report now goes from here, once.
    view->setPrimaryButtonDisabled(true);
    const auto now = std::chrono::system_clock::now();
    const auto next = m_retries.nextAttempt(now, 1, now, 0.5);
    QtConcurrent::run([store = m_store, archive = *session->archive, name = session->folder->filename().string(), now,
                       next = next.value_or(now)] {
        return store->keep(archive, name, tarvix::logId(), now, next).ok();
    }).then(this, [this, view = QPointer(view)](bool kept) {
        if (!kept && view) view->setPrimaryButtonDisabled(false);  // Share stays the way left
        if (!kept) emit notKept();
        refresh();
        schedule();
    });
    return true;
}

void PendingReports::sendNow(const QString& session) { attempt(session.toStdString(), false); }

void PendingReports::discard(const QString& session)
{
    if (!m_store) return;
    m_store->discard(session.toStdString()).absorb();
    refresh();
    schedule();
}

void PendingReports::yieldToWindow()
{
    if (m_attempting && m_sender) m_sender->cancel();
}

void PendingReports::copyLogId(const QString& logId) { copyToClipboard(logId); }

void PendingReports::refresh()
{
    QVariantList reports;
    if (m_store) {
        auto listed = m_store->list();
        std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.date > b.date; });
        static const char* const kStates[] = {"pending", "sent", "givenUp"};
        for (const pending::ListedReport& report : listed) {
            reports.append(QVariantMap{
                {"session", QString::fromStdString(report.session)},
                {"date", timeText(report.date)},
                {"size", QLocale().formattedDataSize(static_cast<qint64>(report.size))},
                {"state", kStates[static_cast<int>(report.state)]},
                {"logId", QString::fromStdString(report.logId)},
                {"nextAttempt", report.nextAttempt ? timeText(*report.nextAttempt) : QString()},
            });
        }
    }
    if (reports == m_reports) return;
    m_reports = std::move(reports);
    emit reportsChanged();
    watchIfPending();
}

void PendingReports::schedule()
{
    if (!m_sender || m_attempting) return;
    const auto due = m_sender->nextDue();
    if (!due) {
        m_timer.stop();
        return;
    }
    const auto wait =
        std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(*due - std::chrono::system_clock::now()),
                   std::chrono::milliseconds(0), std::chrono::milliseconds(kLongestSleep));
    m_timer.start(wait);
}

void PendingReports::attempt(std::optional<std::string> session, bool background)
{
    if (!m_sender || m_attempting) return;
    if (background && m_windowUploading && m_windowUploading()) {
        m_timer.start(kWindowFirst);
        return;
    }
    m_attempting = true;
    m_timer.stop();
    auto relay = m_relay;
    QThreadPool::globalInstance()->start([sender = m_sender, session, relay, background] {
        const auto chosen = session ? session : sender->due();
        const auto done = [relay, background](pending::AttemptOutcome outcome) {
            std::lock_guard lock(relay->mutex);
            if (!relay->target) return;
            QMetaObject::invokeMethod(
                relay->target,
                [target = relay->target, outcome = std::move(outcome), background] {
                    target->attemptFinished(outcome, background);
                },
                Qt::QueuedConnection);
        };
        if (!chosen || !sender->send(*chosen, done)) done({});
    });
}

void PendingReports::attemptFinished(const pending::AttemptOutcome& outcome, bool background)
{
    m_attempting = false;
    refresh();
    if (outcome.sent && background) emit sentInBackground(QString::fromStdString(outcome.logId));
    schedule();
}

}  // namespace tarvix::app
