#include "ContentView.h"

#include <QCoreApplication>
#include <QWindow>

#include "CaptureDetails.h"
#include "DesktopActions.h"
#include "Graphemes.h"
#include "MailTo.h"
#include "config/BuildConfig.h"
#include "core/log/Logger.h"

namespace tarvix::app {

namespace {

constexpr int kMaxFeedbackCharacters = 2000;
constexpr int kMaxEmailCharacters = 40;

/// Length of a trailing tab or carriage return: these move the focus. Only the last character
/// counts: a pasted CR LF ends in a line feed, which is the input's own business.
qsizetype focusMoveSuffix(const QString& text) { return text.endsWith(u'\r') || text.endsWith(u'\t') ? 1 : 0; }

}  // namespace

ContentView::ContentView(const platform::Platform& platform, TarvixApp::WindowWorkspace workspace, QObject* parent)
    : QObject(parent), m_controller(SessionController::create(platform, std::move(workspace))),
      m_review(new ReviewModel(m_controller, this))
{
    SessionController* controller = m_controller.get();
    connect(controller, &SessionController::phaseChanged, this, &ContentView::phaseChanged);
    connect(controller, &SessionController::statusTextChanged, this, &ContentView::logLabelChanged);
    connect(controller, &SessionController::failureReasonChanged, this, &ContentView::isSecondaryErrorChanged);
    connect(controller, &SessionController::sendLaterOfferedChanged, this, &ContentView::isSendLaterOfferedChanged);
    connect(controller, &SessionController::sessionPackagedChanged, this, [this] {
        m_review->setLocked(formLocked());
        emit formLockedChanged();
    });
}

// The controller lives on while its flows run; nothing of it reaches this window any more.
ContentView::~ContentView() { m_controller->disconnect(this); }

QString ContentView::logId() const { return QString::fromStdString(tarvix::logId()); }

QString ContentView::supportEmail() const { return QString::fromUtf8(BuildConfig::kSupportEmail); }

QString ContentView::backgroundActivity() const
{
    const Phase phase = m_controller->phase();
    if (phase == Phase::collecting) return QStringLiteral("Tarvix is collecting Scrivo's logs.");
    if (phase == Phase::monitoring)
        return QStringLiteral("Scrivo's detailed logging stays on until monitoring is stopped.");
    if (phase == Phase::uploading) return QStringLiteral("Tarvix is sending the logs to the support team.");
    if (isIdle()) return {};
    return phase == Phase::ready ? QStringLiteral("Tarvix is switching on Scrivo's detailed logging.")
                                 : QStringLiteral("Tarvix is sending the logs to the support team.");
}

void ContentView::setGetSpinDump(bool value)
{
    if (value == m_getSpinDump) return;
    m_getSpinDump = value;
    emit getSpinDumpChanged();
    emit captureDetailsChanged();
}

void ContentView::setGetInstalledApps(bool value)
{
    if (value == m_getInstalledApps) return;
    m_getInstalledApps = value;
    emit getInstalledAppsChanged();
    emit captureDetailsChanged();
}

QString ContentView::captureDetails() const
{
    return QString::fromStdString(captureDetailsFor(m_getSpinDump, m_getInstalledApps));
}

// Each write below runs its handler again with the written text, until a run writes nothing.
void ContentView::setFeedbackText(const QString& text)
{
    if (text == m_feedbackText) return;
    m_feedbackText = text;
    emit feedbackTextChanged();
    feedbackTextEdited(text);
}

void ContentView::setEmailText(const QString& text)
{
    if (text == m_emailText) return;
    m_emailText = text;
    emit emailTextChanged();
    emailTextEdited(text);
}

void ContentView::feedbackTextEdited(const QString& newValue)
{
    if (formLocked()) return;
    if (const qsizetype suffix = focusMoveSuffix(newValue)) {
        setFocus(Field::email);
        setFeedbackText(newValue.chopped(suffix));
    }
    if (graphemeCount(newValue) > kMaxFeedbackCharacters)
        setFeedbackText(graphemePrefix(m_feedbackText, kMaxFeedbackCharacters));
    setIsInitialFocus(false);
    setPrimaryButtonDisabled(m_feedbackText.isEmpty());
}

void ContentView::emailTextEdited(const QString& newValue)
{
    if (const qsizetype suffix = focusMoveSuffix(newValue)) {
        setFocus(Field::feedback);
        setEmailText(newValue.chopped(suffix));
    } else if (newValue.endsWith(u'\n')) {
        setEmailText(newValue.chopped(1));
        if (!m_primaryButtonDisabled) share();
    }
    if (newValue.contains(u' ')) setEmailText(QString(newValue).remove(u' '));
    if (graphemeCount(newValue) > kMaxEmailCharacters) setEmailText(graphemePrefix(m_emailText, kMaxEmailCharacters));
}

void ContentView::setPrimaryButtonDisabled(bool disabled)
{
    if (disabled == m_primaryButtonDisabled) return;
    m_primaryButtonDisabled = disabled;
    emit primaryButtonDisabledChanged();
}

void ContentView::setIsInitialFocus(bool initial)
{
    if (initial == m_isInitialFocus) return;
    m_isInitialFocus = initial;
    emit isInitialFocusChanged();
}

void ContentView::setFeedbackFormFocus(int field)
{
    if (field == static_cast<int>(Field::feedback))
        setFocus(Field::feedback);
    else if (field == static_cast<int>(Field::email))
        setFocus(Field::email);
    else
        setFocus(std::nullopt);
}

void ContentView::setFocus(std::optional<Field> field)
{
    if (field == m_focus) return;
    m_focus = field;
    emit feedbackFormFocusChanged();
}

void ContentView::closeButtonAction()
{
    if (auto* window = qobject_cast<QWindow*>(parent()); window && m_staysRunning && m_staysRunning()) {
        window->close();
        return;
    }
    // Ends the process as it is, as a quit from the system does: quit() would first close the window,
    // and the window's close is the user's, logged as such.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

bool ContentView::isValidEmail(const QString& email) const { return tarvix::isValidEmail(email.toStdString()); }

FormSnapshot ContentView::form() const
{
    return {m_getSpinDump, m_getInstalledApps, m_emailText.toStdString(), m_feedbackText.toStdString()};
}

void ContentView::primaryButtonAction()
{
    const Phase phase = m_controller->phase();
    if (phase == Phase::sent) {
        closeButtonAction();
        return;
    }
    if (m_primaryButtonDisabled) return;
    if (phase == Phase::logsReady || phase == Phase::failed)
        share();
    else
        m_controller->StartButtonPressed(form());
}

void ContentView::share()
{
    // A press while the previous one's step still runs is ignored.
    if (m_controller->busy()) return;
    if (m_isInitialFocus && m_feedbackText.isEmpty()) {
        setPrimaryButtonDisabled(true);
        setIsInitialFocus(false);
        return;
    }
    setFocus(std::nullopt);
    m_controller->StartButtonPressed(form());
}

void ContentView::feedbackFormAppeared()
{
    setFocus(Field::feedback);
    setPrimaryButtonDisabled(false);
}

void ContentView::viewLogs()
{
    if (const auto folder = sessionFolder()) showFolderInFileManager(*folder);
}

void ContentView::copyLogId() { copyToClipboard(logId()); }

QString ContentView::clipboardText() const { return tarvix::app::clipboardText(); }

void ContentView::mailToSupport() { mailToTrigger(supportEmail()); }

void ContentView::mailToTrigger(const QString& email)
{
    const auto url = mailToURL(email, logId(), m_feedbackText, m_emailText);
    if (url)
        openWithDefaultHandler(*url);
    else
        Logger::logError("The prepared e-mail could not be formed: " + url.message());
}

}  // namespace tarvix::app
