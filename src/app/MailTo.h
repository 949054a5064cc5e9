#pragma once

#include <QString>
#include <QUrl>

#include "base/Status.h"

namespace tarvix::app {

/// The prepared e-mail's URL: "mailto:" + email (as given) + "?subject=" + subject + "&body=" +
/// body, both percent-encoded. Fails when it does not parse as a URL.
Result<QUrl> mailToURL(const QString& email, const QString& logId, const QString& feedbackText,
                       const QString& emailText);

/// Percent-encodes every character but ASCII letters, digits and "-._~", as UTF-8 with upper-case hex.
QByteArray percentEncodeForQuery(const QString& text);

}  // namespace tarvix::app
