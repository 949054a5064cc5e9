#pragma once

// The window's state cells, declared once: X(authoritative type, QML type, name, setName, initial value).
// SessionState gives each an authoritative value; ContentView gives each a QML property.
//
// Colour cells hold the name of a Theme colour ("PrimaryColor", "white", "clear" ...).
// feedbackFormFocus holds an optional Field (QML sees -1 for absent).
#define TARVIX_SESSION_CELLS(X)                                                                                        \
    X(int, int, maxEmailCharacterCount, setMaxEmailCharacterCount, 40)                                                 \
    X(int, int, maxFeedbackCharacterCount, setMaxFeedbackCharacterCount, 2000)                                         \
    X(std::string, QString, logLabel, setLogLabel, " ")                                                                \
    X(std::string, QString, captureInfoLabel, setCaptureInfoLabel,                                                     \
      "Tarvix needs to collect the following information to address the issue")                                        \
    X(std::string, QString, startButtonLabel, setStartButtonLabel, "Start monitoring")                                 \
    X(std::string, QString, feedbackLabel, setFeedbackLabel, "Please tell us what led to the error")                   \
    X(std::string, QString, emailLabel, setEmailLabel,                                                                 \
      "Norvane can contact me for fixes at the following email address")                                               \
    X(std::string, QString, captureDetails, setCaptureDetails, tarvix::app::kBasicCaptureDetails)                      \
    X(std::string, QString, colorScheme, setColorScheme, "light")                                                      \
    X(bool, bool, isLogEditorVisible, setIsLogEditorVisible, true)                                                     \
    X(bool, bool, isFeedbackLayoutVisible, setIsFeedbackLayoutVisible, false)                                          \
    X(bool, bool, isLogLabelVisible, setIsLogLabelVisible, true)                                                       \
    X(bool, bool, isCloseLayoutVisible, setIsCloseLayoutVisible, false)                                                \
    X(bool, bool, isFeedbackEmailLayoutDisabled, setIsFeedbackEmailLayoutDisabled, false)                              \
    X(bool, bool, isUploadFailedLayoutVisible, setIsUploadFailedLayoutVisible, false)                                  \
    X(bool, bool, getSpinDump, setGetSpinDump, false)                                                                  \
    X(bool, bool, getInstalledApps, setGetInstalledApps, false)                                                        \
    X(bool, bool, primaryButtonDisabled, setPrimaryButtonDisabled, false)                                              \
    X(bool, bool, advanceLogToggleDisabled, setAdvanceLogToggleDisabled, false)                                        \
    X(std::string, QString, feedbackText, setFeedbackText, "")                                                         \
    X(std::string, QString, emailText, setEmailText, "")                                                               \
    X(std::string, QString, primaryButtonColor, setPrimaryButtonColor, "PrimaryColor")                                 \
    X(std::string, QString, primaryButtonTextColor, setPrimaryButtonTextColor, "white")                                \
    X(bool, bool, thickBorderButtonStyle, setThickBorderButtonStyle, false)                                            \
    X(std::string, QString, thickBorderButtonColor, setThickBorderButtonColor, "BackgroundColor")                      \
    X(bool, bool, isLoggingCompleteVisible, setIsLoggingCompleteVisible, false)                                        \
    X(tarvix::app::SecondaryError, tarvix::app::SecondaryError, isSecondaryError, setIsSecondaryError,                 \
      tarvix::app::SecondaryError::none)                                                                               \
    X(bool, bool, isInitialFocus, setIsInitialFocus, true)                                                             \
    X(bool, bool, isSendLaterOffered, setIsSendLaterOffered, false)                                                    \
    X(std::optional<tarvix::app::Field>, int, feedbackFormFocus, setFeedbackFormFocus, std::nullopt)
