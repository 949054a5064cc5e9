#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QtQml/QQmlExtensionPlugin>
#include <cstdio>
#include <cstdlib>

#include "AccessibleControl.h"
#include "Translations.h"
#include "WindowText.h"
#include "support/Sandbox.h"

Q_IMPORT_QML_PLUGIN(TarvixPlugin)

// Drawn offscreen unless a platform is named.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Run by the language test with the environment it sets: the language a start would choose.
    if (argc == 2 && qstrcmp(argv[1], "--start-button-title") == 0) {
        tarvix::app::installTranslations();
        std::puts(qPrintable(tarvix::app::windowText(QStringLiteral("Start monitoring"))));
        return 0;
    }
    QGuiApplication::setQuitOnLastWindowClosed(false);
    tarvix::app::installAccessibleControls();
    ::testing::InitGoogleTest(&argc, argv);
    // As in TestMain.cpp: a "...Child" suite runs only in the process a test starts for it.
    const std::string filter = GTEST_FLAG_GET(filter);
    const char* child = std::getenv(tarvix::test::kChildTest);
    GTEST_FLAG_SET(filter, child ? child : filter + (filter.find('-') == filter.npos ? "-*Child.*" : ":*Child.*"));
    return RUN_ALL_TESTS();
}
