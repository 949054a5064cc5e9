#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace tarvix::app {

/// The prepared e-mail's URL: "mailto:" + email (as given) + "?subject=" + subject + "&body=" +
/// body, both percent-encoded. Absent when it does not parse as a URL.
std::optional<QUrl> mailToURL(const QString& email, const QString& logId, const QString& feedbackText,
                              const QString& emailText);

/// Percent-encodes every character but ASCII letters, digits and "-._~", as UTF-8 with upper-case hex.
QByteArray percentEncodeForQuery(const QString& text);

}  // namespace tarvix::app
