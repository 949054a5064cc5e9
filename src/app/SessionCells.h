#pragma once

// The window's state cells, declared once: X(authoritative type, QML type, name, initial value).
// SessionState gives each an authoritative value; ContentView gives each a QML property.
//
// Colour cells hold the name of a Theme colour ("PrimaryColor", "white", "clear" ...).
// isSecondaryError holds a SecondaryError, feedbackFormFocus an optional Field (QML sees -1 for absent).
#define TARVIX_SESSION_CELLS(X)                                                                                        \
    X(int, int, maxEmailCharacterCount, 40)                                                                            \
    X(int, int, maxFeedbackCharacterCount, 2000)                                                                       \
    X(std::string, QString, logLabel, " ")                                                                             \
    X(std::string, QString, captureInfoLabel,                                                                          \
      "Tarvix needs to collect the following information to address the issue")                                        \
    X(std::string, QString, startButtonLabel, "Start monitoring")                                                      \
    X(std::string, QString, feedbackLabel, "Please tell us what led to the error")                                     \
    X(std::string, QString, emailLabel, "Norvane can contact me for fixes at the following email address")             \
    X(std::string, QString, captureDetails, tarvix::app::kBasicCaptureDetails)                                         \
    X(std::string, QString, colorScheme, "light")                                                                      \
    X(bool, bool, isLogEditorVisible, true)                                                                            \
    X(bool, bool, isFeedbackLayoutVisible, false)                                                                      \
    X(bool, bool, isLogLabelVisible, true)                                                                             \
    X(bool, bool, isCloseLayoutVisible, false)                                                                         \
    X(bool, bool, isFeedbackEmailLayoutDisabled, false)                                                                \
    X(bool, bool, isUploadFailedLayoutVisible, false)                                                                  \
    X(bool, bool, getSpinDump, false)                                                                                  \
    X(bool, bool, getInstalledApps, false)                                                                             \
    X(bool, bool, primaryButtonDisabled, false)                                                                        \
    X(bool, bool, advanceLogToggleDisabled, false)                                                                     \
    X(std::string, QString, feedbackText, "")                                                                          \
    X(std::string, QString, emailText, "")                                                                             \
    X(std::string, QString, primaryButtonColor, "PrimaryColor")                                                        \
    X(std::string, QString, primaryButtonTextColor, "white")                                                           \
    X(bool, bool, thickBorderButtonStyle, false)                                                                       \
    X(std::string, QString, thickBorderButtonColor, "BackgroundColor")                                                 \
    X(bool, bool, isLoggingCompleteVisible, false)                                                                     \
    X(tarvix::app::SecondaryError, int, isSecondaryError, tarvix::app::SecondaryError::none)                           \
    X(bool, bool, isInitialFocus, true)                                                                                \
    X(std::optional<tarvix::app::Field>, int, feedbackFormFocus, std::nullopt)
