#include "ContentView.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QWindow>

#include "DesktopActions.h"
#include "FlowRunner.h"
#include "Graphemes.h"
#include "MailTo.h"
#include "SessionFlows.h"
#include "config/BuildConfig.h"
#include "core/log/Logger.h"

namespace tarvix::app {

namespace {

template <typename T>
T fromVariant(const QVariant& value);
template <>
int fromVariant<int>(const QVariant& value)
{
    return value.toInt();
}
template <>
bool fromVariant<bool>(const QVariant& value)
{
    return value.toBool();
}
template <>
std::string fromVariant<std::string>(const QVariant& value)
{
    return value.toString().toStdString();
}
template <>
SecondaryError fromVariant<SecondaryError>(const QVariant& value)
{
    const int raw = value.toInt();
    return raw == static_cast<int>(SecondaryError::network)    ? SecondaryError::network
           : raw == static_cast<int>(SecondaryError::canceled) ? SecondaryError::canceled
                                                               : SecondaryError::none;
}
template <>
std::optional<Field> fromVariant<std::optional<Field>>(const QVariant& value)
{
    if (value.toInt() == static_cast<int>(Field::feedback)) return Field::feedback;
    if (value.toInt() == static_cast<int>(Field::email)) return Field::email;
    return std::nullopt;
}

constexpr const char* kCellNames[] = {
#define TARVIX_CELL_NAME(type, qmlType, name, setter, initial) #name,
    TARVIX_SESSION_CELLS(TARVIX_CELL_NAME)
#undef TARVIX_CELL_NAME
};

/// Length of a trailing tab or carriage return: these move the focus. Only the last character
/// counts: a pasted CR LF ends in a line feed, which is the input's own business.
qsizetype focusMoveSuffix(const QString& text) { return text.endsWith(u'\r') || text.endsWith(u'\t') ? 1 : 0; }

}  // namespace

ContentView::ContentView(const platform::Platform& platform, TarvixApp::WindowWorkspace workspace, QObject* parent)
    : QObject(parent), m_state(std::make_shared<SessionState>()),
      m_flows(std::make_shared<SessionFlows>(platform, m_state, std::move(workspace))),
      m_runner(std::make_unique<FlowRunner>()), m_review(new ReviewModel(m_flows, this))
{
    connect(this, &ContentView::formLockedChanged, m_review, [this] { m_review->setLocked(m_formLocked); });
    for (int i = 0; i < kCellCount; ++i) {
        m_gui[i] = m_state->variant(static_cast<CellId>(i));
        const int property = metaObject()->indexOfProperty(kCellNames[i]);
        m_notifySignal[i] = metaObject()->property(property).notifySignalIndex();
    }
    m_state->attach(
        thread(), [this](CellId id, QVariant value, std::uint64_t sequence) { applyToWindow(id, value, sequence); },
        [this](CellId id, QVariant value, std::uint64_t sequence) {
            QMetaObject::invokeMethod(
                this, [this, id, value = std::move(value), sequence] { applyToWindow(id, value, sequence); },
                Qt::QueuedConnection);
        });
}

ContentView::~ContentView()
{
    m_state->detach();
    m_runner.reset();
}

QString ContentView::logId() const { return QString::fromStdString(tarvix::logId()); }

QString ContentView::supportEmail() const { return QString::fromUtf8(BuildConfig::kSupportEmail); }

bool ContentView::isIdle() const { return !m_runner->busy(); }

QString ContentView::backgroundActivity() const
{
    const Phase phase = m_state->phase();
    if (phase == Phase::collecting) return QStringLiteral("Tarvix is collecting Scrivo's logs.");
    if (phase == Phase::monitoring)
        return QStringLiteral("Scrivo's detailed logging stays on until monitoring is stopped.");
    if (phase == Phase::uploading) return QStringLiteral("Tarvix is sending the logs to the support team.");
    if (isIdle()) return {};
    return phase == Phase::ready ? QStringLiteral("Tarvix is switching on Scrivo's detailed logging.")
                                 : QStringLiteral("Tarvix is sending the logs to the support team.");
}

void ContentView::applyToWindow(CellId id, const QVariant& value, std::uint64_t sequence)
{
    const int index = static_cast<int>(id);
    // A write made on this thread may overtake an older one still queued from a flow.
    if (sequence <= m_shownSequence[index]) return;
    m_shownSequence[index] = sequence;
    if (m_gui[index] != value) {
        m_gui[index] = value;
        metaObject()->method(m_notifySignal[index]).invoke(this, Qt::DirectConnection);
    }
    if (m_formLocked != m_flows->sessionPackaged()) {
        m_formLocked = m_flows->sessionPackaged();
        emit formLockedChanged();
    }
}

void ContentView::writeFromWindow(CellId id, const QVariant& value)
{
    if (m_state->variant(id) == value) return;
    switch (id) {
#define TARVIX_CELL_WRITE(type, qmlType, name, setter, initial)                                                        \
    case CellId::name: m_state->name.set(fromVariant<type>(value)); break;
        TARVIX_SESSION_CELLS(TARVIX_CELL_WRITE)
#undef TARVIX_CELL_WRITE
    case CellId::count: return;
    }
    afterWindowWrite(id);
}

void ContentView::afterWindowWrite(CellId id)
{
    switch (id) {
    case CellId::getSpinDump:
    case CellId::getInstalledApps:
        m_state->captureDetails.set(captureDetailsFor(m_state->getSpinDump.get(), m_state->getInstalledApps.get()));
        break;
    case CellId::feedbackText: feedbackTextChanged(m_state->feedbackText.get()); break;
    case CellId::emailText: emailTextChanged(m_state->emailText.get()); break;
    default: break;
    }
}

// Each write below runs this handler again with the written text, until a run writes nothing.
void ContentView::feedbackTextChanged(const std::string& changed)
{
    if (m_flows->sessionPackaged()) return;
    const QString newValue = QString::fromStdString(changed);
    if (const qsizetype suffix = focusMoveSuffix(newValue)) {
        setFeedbackFormFocus(static_cast<int>(Field::email));
        setFeedbackText(newValue.chopped(suffix));
    }
    const int limit = m_state->maxFeedbackCharacterCount.get();
    if (graphemeCount(newValue) > limit)
        setFeedbackText(graphemePrefix(QString::fromStdString(m_state->feedbackText.get()), limit));
    m_state->isInitialFocus.set(false);
    m_state->primaryButtonDisabled.set(m_state->feedbackText.get().empty());
}

void ContentView::emailTextChanged(const std::string& changed)
{
    const QString newValue = QString::fromStdString(changed);
    if (const qsizetype suffix = focusMoveSuffix(newValue)) {
        setFeedbackFormFocus(static_cast<int>(Field::feedback));
        setEmailText(newValue.chopped(suffix));
    } else if (newValue.endsWith(u'\n')) {
        setEmailText(newValue.chopped(1));
        if (!m_state->primaryButtonDisabled.get()) dispatchShare();
    }
    if (newValue.contains(u' ')) setEmailText(QString(newValue).remove(u' '));
    const int limit = m_state->maxEmailCharacterCount.get();
    if (graphemeCount(newValue) > limit)
        setEmailText(graphemePrefix(QString::fromStdString(m_state->emailText.get()), limit));
}

void ContentView::closeButtonAction()
{
    if (auto* window = qobject_cast<QWindow*>(parent()); window && m_staysRunning && m_staysRunning()) {
        window->close();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

bool ContentView::isValidEmail(const QString& email) const { return tarvix::isValidEmail(email.toStdString()); }

void ContentView::primaryButtonAction()
{
    if (m_state->phase() == Phase::sent) {
        closeButtonAction();
        return;
    }
    if (m_state->primaryButtonDisabled.get()) return;
    // A press while the previous one is still being dispatched is ignored.
    m_runner->tryRun([flows = m_flows] { flows->StartButtonPressed(); });
}

void ContentView::dispatchShare()
{
    m_runner->tryRun([flows = m_flows] { flows->ShareButtonPressed(); });
}

void ContentView::feedbackFormAppeared()
{
    setFeedbackFormFocus(static_cast<int>(Field::feedback));
    setPrimaryButtonDisabled(false);
}

std::optional<std::filesystem::path> ContentView::sessionFolder() const { return m_flows->sessionFolder(); }

std::optional<Session> ContentView::session() const { return m_flows->currentSession(); }

void ContentView::viewLogs()
{
    if (const auto folder = sessionFolder()) showFolderInFileManager(*folder);
}

void ContentView::copyLogId() { copyToClipboard(logId()); }

QString ContentView::clipboardText() const { return tarvix::app::clipboardText(); }

void ContentView::mailToSupport() { mailToTrigger(supportEmail()); }

void ContentView::mailToTrigger(const QString& email)
{
    const auto url = mailToURL(email, logId(), QString::fromStdString(m_state->feedbackText.get()),
                               QString::fromStdString(m_state->emailText.get()));
    if (url)
        openWithDefaultHandler(*url);
    else
        Logger::logError("The prepared e-mail could not be formed: " + url.message());
}

}  // namespace tarvix::app
