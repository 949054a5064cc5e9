#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace tarvix::app {

/// The prepared e-mail's URL: "mailto:" + email (as given) + "?subject=" + subject + "&body=" +
/// body, both encoded with the URL query character set. Absent when it does not parse as a URL.
std::optional<QUrl> mailToURL(const QString& email, const QString& logId, const QString& feedbackText,
                              const QString& emailText);

/// Percent-encodes every character outside the URL query set, as UTF-8 with upper-case hex.
QByteArray percentEncodeForQuery(const QString& text);

}  // namespace tarvix::app
