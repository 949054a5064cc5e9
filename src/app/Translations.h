#pragma once

#include <QLocale>
#include <QString>

#include "base/Status.h"

namespace tarvix::app {

/// Loads Tarvix's catalog and Qt's own for the first of `locale`'s languages that Tarvix ships
/// (English, the source language, ends the search); answers the language loaded, empty for
/// English. The translators live as long as the application.
QString installTranslations(const QLocale& locale = QLocale::system());

/// Loads one compiled catalog (a test's pseudo-language); fails when it cannot be read.
Status installCatalog(const QString& qmFile);

}  // namespace tarvix::app
