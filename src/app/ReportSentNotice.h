#pragma once

#include <QString>

namespace tarvix::app {

/// A desktop notification that a report kept to send later went out, with its Log ID. Without a
/// session bus or a notification service nothing is shown and nothing fails.
void postReportSent(const QString& logId);

}  // namespace tarvix::app
