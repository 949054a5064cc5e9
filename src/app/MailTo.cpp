#include "MailTo.h"

namespace tarvix::app {

QByteArray percentEncodeForQuery(const QString& text)
{
    // Only the unreserved characters (letters, digits, "-._~") stay: a bare "&", "=", "+" or "#"
    // in the body would end it, or change it, in most mail programs.
    return QUrl::toPercentEncoding(text);
}

Result<QUrl> mailToURL(const QString& email, const QString& logId, const QString& feedbackText,
                       const QString& emailText)
{
    const QString body = QStringLiteral("Hi Team,\n\nLocal Log ID: ") + logId + QStringLiteral("\nDescription: ") +
                         feedbackText + QStringLiteral("\nEmail address: ") + emailText + QStringLiteral("\n");
    const QString subject = QStringLiteral("Scrivo troubleshooting using Tarvix.");
    const QByteArray text = "mailto:" + email.toUtf8() + "?subject=" + percentEncodeForQuery(subject) +
                            "&body=" + percentEncodeForQuery(body);
    QUrl url = QUrl::fromEncoded(text, QUrl::StrictMode);
    if (!url.isValid()) return Failure{url.errorString().toStdString()};
    return url;
}

}  // namespace tarvix::app
