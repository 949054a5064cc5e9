#include "WindowText.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace tarvix::app {

namespace {

constexpr const char* kContext = "WindowText";

// The English texts that reach the window through the view, the phase table and the alerts. They are
// written where they are set (the flows, the core) and stay English there; this list gives the
// catalogs their keys.
[[maybe_unused]] constexpr const char* kTexts[] = {
    // Button titles.
    QT_TRANSLATE_NOOP("WindowText", "Start monitoring"),
    QT_TRANSLATE_NOOP("WindowText", "Stop monitoring"),
    QT_TRANSLATE_NOOP("WindowText", "Share logs"),
    QT_TRANSLATE_NOOP("WindowText", "Stop upload"),
    QT_TRANSLATE_NOOP("WindowText", "Close"),
    // Labels.
    QT_TRANSLATE_NOOP("WindowText", "Tarvix needs to collect the following information to address the issue"),
    QT_TRANSLATE_NOOP("WindowText", "Please tell us what led to the error"),
    QT_TRANSLATE_NOOP("WindowText", "Norvane can contact me for fixes at the following email address"),
    // Status line.
    QT_TRANSLATE_NOOP("WindowText", "Please reproduce the steps that led to the issue and then select Stop monitoring"),
    QT_TRANSLATE_NOOP("WindowText", "Capturing Scrivo data dump."),
    QT_TRANSLATE_NOOP("WindowText", "Capturing system configuration and settings."),
    QT_TRANSLATE_NOOP("WindowText", "Capturing Scrivo settings and logs."),
    QT_TRANSLATE_NOOP("WindowText", "Logging complete."),
    QT_TRANSLATE_NOOP("WindowText", "Compressing logs."),
    // Alerts.
    QT_TRANSLATE_NOOP("WindowText", "No Scrivo installation detected"),
    QT_TRANSLATE_NOOP("WindowText", "No Scrivo installation found on this device. Please install Scrivo and then "
                                    "start troubeshooting."),
    QT_TRANSLATE_NOOP("WindowText", "Multiple instances of Scrivo detected"),
    QT_TRANSLATE_NOOP("WindowText", "Please ensure that only one Scrivo app which needs troubleshooting is open, "
                                    "before running Tarvix."),
    QT_TRANSLATE_NOOP("WindowText", "OK"),
    // What goes on without a window, for the notification.
    QT_TRANSLATE_NOOP("WindowText", "Tarvix is collecting Scrivo's logs."),
    QT_TRANSLATE_NOOP("WindowText", "Scrivo's detailed logging stays on until monitoring is stopped."),
    QT_TRANSLATE_NOOP("WindowText", "Tarvix is sending the logs to the support team."),
    QT_TRANSLATE_NOOP("WindowText", "Tarvix is switching on Scrivo's detailed logging."),
    QT_TRANSLATE_NOOP("WindowText", "Tarvix will send the reports kept to send later when it can."),
};

}  // namespace

QString windowText(const QString& english)
{
    // The upload's progress is the one text with a number in it.
    static const QRegularExpression progress(QStringLiteral("^Uploading (\\d+)%$"));
    if (const auto match = progress.match(english); match.hasMatch())
        return QCoreApplication::translate("WindowText", "Uploading %1%").arg(match.captured(1));
    static const QRegularExpression notHidden(QStringLiteral("^Not hidden, left out: (.*)$"));
    if (const auto match = notHidden.match(english); match.hasMatch())
        return QCoreApplication::translate("WindowText",
                                           "A hidden name is still in %1, so it is left out. Review what is sent, "
                                           "then share again.")
            .arg(match.captured(1));
    return QCoreApplication::translate(kContext, english.toUtf8().constData());
}

}  // namespace tarvix::app
