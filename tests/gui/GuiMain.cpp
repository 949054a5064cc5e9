#include <gtest/gtest.h>

#include <QApplication>
#include <QtQml/QQmlExtensionPlugin>
#include <cstdlib>

#include "AccessibleControl.h"
#include "support/Sandbox.h"

Q_IMPORT_QML_PLUGIN(TarvixPlugin)

// The alerts are message boxes, so the tests run a widgets application, drawn offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    tarvix::app::installAccessibleControls();
    ::testing::InitGoogleTest(&argc, argv);
    // As in TestMain.cpp: a "...Child" suite runs only in the process a test starts for it.
    const std::string filter = GTEST_FLAG_GET(filter);
    const char* child = std::getenv(tarvix::test::kChildTest);
    GTEST_FLAG_SET(filter, child ? child : filter + (filter.find('-') == filter.npos ? "-*Child.*" : ":*Child.*"));
    return RUN_ALL_TESTS();
}
