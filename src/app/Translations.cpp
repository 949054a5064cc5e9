#include "Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

namespace tarvix::app {

namespace {

// Qt reads the layout direction of the application from this entry of the loaded catalogs; the
// Arabic catalog answers "RTL", so the window mirrors.
[[maybe_unused]] constexpr const char* kLayoutDirection = QT_TRANSLATE_NOOP("QGuiApplication", "QT_LAYOUT_DIRECTION");

Status install(const QString& file, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(file, folder) && QCoreApplication::installTranslator(translator)) return {};
    delete translator;
    return Failure{"The catalog " + file.toStdString() + " could not be loaded."};
}

}  // namespace

QString installTranslations(const QLocale& locale)
{
    // Qt follows a language it does not know ("xx") with its guess, English: that is no choice
    // of the user's, unlike an English the user listed.
    bool afterUnknown = false;
    for (QString language : locale.uiLanguages()) {
        const QLocale::Language known = QLocale(language).language();
        if (known == QLocale::C || known == QLocale::AnyLanguage) {
            afterUnknown = true;
            continue;
        }
        if (known == QLocale::English) {
            if (afterUnknown) continue;
            return {};
        }
        afterUnknown = false;
        language.replace(u'-', u'_');
        // Exact names only ("pt_BR", "zh_CN", "de"): QTranslator's own fallback would take
        // tarvix_pt_BR for a pt_PT user before trying the next language the user listed.
        const QString file = QStringLiteral(":/i18n/tarvix_") + language + QStringLiteral(".qm");
        if (!QFile::exists(file)) continue;
        if (!installCatalog(file)) continue;
        // Without Qt's own catalog only Qt's few built-in texts stay English.
        install(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)).absorb();
        return language;
    }
    return {};
}

Status installCatalog(const QString& qmFile) { return install(qmFile, {}); }

}  // namespace tarvix::app
