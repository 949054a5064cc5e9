#include "SessionFlows.h"

#include "LogLabelCell.h"
#include "core/collect/PListOperations.h"
#include "core/collect/ProcessExecution.h"
#include "core/log/Format.h"
#include "core/log/Logger.h"
#include "core/package/FeedbackRecord.h"
#include "core/package/FilesPathDirectory.h"
#include "core/shell/Lifecycle.h"
#include "core/target/InstallationDiscovery.h"
#include "core/target/RunningInstances.h"
#include "core/workspace/UtilityFunctions.h"

namespace tarvix::app {

namespace {

constexpr const char* kUserInfoFallback = "No localized description in the error's user information.";

}  // namespace

void SessionFlows::bindStatusText()
{
    auto binding = std::make_shared<LogLabelCell>(m_state);
    ProcessExecution::labelTextBinding.set(binding);
    UploadAPI::uploadProgress.set(binding);
}

void SessionFlows::StartButtonPressed()
{
    if (m_state->startButtonLabel.get() == "Start monitoring") {
        TarvixApp::recreateWorkspaceIfReopened();
        StartMonitoring();
    } else if (m_state->startButtonLabel.get() == "Stop monitoring") {
        StopMonitoring();
    } else if (m_state->startButtonLabel.get() == "Share logs") {
        ShareButtonPressed();
    } else if (m_state->startButtonLabel.get() == "Stop upload") {
        StopShareButtonPressed();
    }
}

void SessionFlows::StartMonitoring()
{
    using namespace UtilityFunctions;
    Logger::logInfo(tarvix::format("Start monitoring pressed.Advanced Log Checkbox: %@",
                                   {m_state->getSpinDump.get() ? "Yes" : "No"}));
    ScrivoRunningInstance.set({});
    for (const auto& identifier : ScrivoBundleIndentifiers) {
        if (IsApplicationRunning(identifier))
            ScrivoRunningInstance.update([&](auto& list) { list.push_back(identifier); });
    }
    if (IsMultipleInstance()) {
        Logger::logInfo("Scrivo multiple running instances.");
        return;
    }
    if (ScrivoRunningInstance.get().empty()) {
        Logger::logInfo("ScrivoRunningInstance.isEmpty");
        getScrivoInstalledPath();
        if (auto scrivo = scrivoInstalledUrls.get(); !scrivo.empty()) {
            Logger::logInfo("Scrivo installation found.");
            ScrivoRunningInstance.update([](auto& list) { list.push_back("com.norvane.Scrivo.Pro"); });
            FlavourFromAppVersion(scrivo.front());
        } else {
            Logger::logInfo("scrivoInstalledUrls.isEmpty");
            getGlanceInstalledPath();
            if (auto glance = glanceInstalledUrls.get(); !glance.empty()) {
                Logger::logInfo("Glance installation found.");
                ScrivoRunningInstance.update([](auto& list) { list.push_back("com.norvane.Glance"); });
                FlavourFromAppVersion(glance.front());
            } else {
                Logger::logInfo("glanceInstalledUrls.isEmpty");
                displayAlert("No Scrivo installation detected",
                             "No Scrivo installation found on this device. Please install Scrivo and then start "
                             "troubeshooting.",
                             "OK");
                return;
            }
        }
    }
    SetScrivoOrGlance();
    PListOperations::EnableScrivoLogging(m_state->isScrivologgingEnabled);

    m_state->advanceLogToggleDisabled.set(true);
    m_state->startButtonLabel.set("Stop monitoring");
    m_state->logLabel.set("Please reproduce the steps that led to the issue and then select Stop monitoring");
    m_state->primaryButtonColor.set("PrimaryTextColor");
    m_state->primaryButtonTextColor.set("BackgroundColor");
}

void SessionFlows::StopMonitoring()
{
    m_state->primaryButtonDisabled.set(true);
    const bool getInstalledApps = m_state->getInstalledApps.get();
    const bool getSpinDump = m_state->getSpinDump.get();
    ProcessExecution::runTasksConcurrently(getInstalledApps, getSpinDump, m_state->isScrivologgingEnabled,
                                           [state = m_state] {
                                               Logger::logInfo("Stop Monitoring Queue Completed.");
                                               state->logLabel.set("Logging complete.");
                                               state->startButtonLabel.set("Share logs");
                                               state->isLogEditorVisible.set(false);
                                               state->isFeedbackLayoutVisible.set(true);
                                               state->primaryButtonColor.set("PrimaryColor");
                                               state->primaryButtonTextColor.set("white");
                                               state->isLogLabelVisible.set(false);
                                               state->isLoggingCompleteVisible.set(true);
                                           });
}

bool SessionFlows::needsPackaging() const
{
    // Once per window: a window opened again after an earlier share packages its own new
    // session instead of re-sending (or failing on) the earlier session's archive.
    return !m_sessionPackaged;
}

void SessionFlows::ShareButtonPressed()
{
    if (m_state->isInitialFocus.get() && m_state->feedbackText.get().empty()) {
        m_state->primaryButtonDisabled.set(true);
        m_state->isInitialFocus.set(false);
        return;
    }
    m_state->feedbackFormFocus.set(std::nullopt);
    m_state->primaryButtonDisabled.set(true);
    m_state->isFeedbackEmailLayoutDisabled.set(true);
    m_state->isUploadFailedLayoutVisible.set(false);
    m_state->isLoggingCompleteVisible.set(true);
    m_state->isSecondaryError.set(SecondaryError::none);

    if (needsPackaging()) {
        m_sessionPackaged = true;
        UtilityFunctions::ShareButtonPressed = true;
        m_state->logLabel.set("Compressing logs.");
        UtilityFunctions::CreateUserDetailContent(m_state->emailText.get(), m_state->feedbackText.get());
        const auto session = UtilityFunctions::tempTimeStampedURL.get();
        FilesPathDirectory::removeFilesFromDirectoryRecursively(session ? session->string() : std::string(),
                                                                UtilityFunctions::allowedExtensions);
        if (!FilesPathDirectory::CompressOutputDirectory()) {
            Logger::logError("unable to copy compressed file.");
            m_state->primaryButtonDisabled.set(false);
            return;
        }
    }

    // Only this session's archive is sent: after a failed packaging compressedLogURL is absent,
    // or still names an archive of an earlier session.
    const auto archive = UtilityFunctions::compressedLogURL.get();
    const auto session = UtilityFunctions::tempTimeStampedURL.get();
    std::error_code error;
    if (!archive || !session || archive->parent_path() != *session ||
        !std::filesystem::is_regular_file(*archive, error)) {
        Logger::logError("No compressed logs to upload.");
        showUploadFailed();
        return;
    }
    if (!FilesPathDirectory::isFileSizeValid(*archive)) {
        Logger::logError("Logs Size is large.");
        showUploadFailed();
        return;
    }
    startUpload();
}

void SessionFlows::showUploadFailed()
{
    m_state->isUploadFailedLayoutVisible.set(true);
    m_state->isLoggingCompleteVisible.set(false);
    m_state->primaryButtonDisabled.set(false);
}

void SessionFlows::startUpload()
{
    m_state->logLabel.set("Uploading 0%");
    m_state->primaryButtonDisabled.set(false);
    m_state->startButtonLabel.set("Stop upload");
    const std::uint64_t upload = ++m_upload;
    UploadAPI::upload(
        UtilityFunctions::compressedLogURL.get(),
        [self = shared_from_this(), upload](UploadAPI::Result result) { self->uploadFinished(upload, result); });
}

void SessionFlows::uploadFinished(std::uint64_t upload, const UploadAPI::Result& result)
{
    // A cancelled upload can complete after the user already shared again; its result must not
    // overwrite the window of the upload that is running now.
    const bool current = upload == m_upload;
    if (std::holds_alternative<std::vector<std::uint8_t>>(result)) {
        if (!current) return;
        m_state->logLabel.set("Uploading 100%");
        if (auto output = UtilityFunctions::tempOutputURL.get()) FilesPathDirectory::deleteDirectory(*output);
        m_state->startButtonLabel.set("Close");
        m_state->logLabel.set("");
        m_state->isFeedbackLayoutVisible.set(false);
        m_state->isCloseLayoutVisible.set(true);
        m_state->primaryButtonDisabled.set(false);
        m_state->isUploadFailedLayoutVisible.set(false);
        m_state->primaryButtonColor.set("clear");
        m_state->thickBorderButtonStyle.set(true);
        return;
    }

    const auto& error = std::get<UploadAPI::Error>(result);
    Logger::logError("error code:" + std::to_string(error.code));
    Logger::logError("error domain:" + error.domain);
    std::optional<SecondaryError> reason;
    if (error.code == -1009) {
        Logger::logError("No internet connection");
        reason = SecondaryError::network;
    } else if (error.code == -999) {
        Logger::logError("Upload task was canceled");
        reason = SecondaryError::canceled;
    } else {
        Logger::logError("Other network error: " + error.localizedDescription);
        Logger::logError("userInfo: " + error.userInfoLocalizedDescription.value_or(kUserInfoFallback));
    }
    if (!current) return;
    if (reason) m_state->isSecondaryError.set(*reason);
    m_state->isUploadFailedLayoutVisible.set(true);
    m_state->isLoggingCompleteVisible.set(false);
    m_state->primaryButtonDisabled.set(false);
    m_state->startButtonLabel.set("Share logs");
}

void SessionFlows::StopShareButtonPressed()
{
    m_state->primaryButtonDisabled.set(true);
    if (auto task = UploadAPI::uploadTask.get()) task->cancel();
    m_state->startButtonLabel.set("Share logs");
    m_state->primaryButtonDisabled.set(false);
}

}  // namespace tarvix::app
