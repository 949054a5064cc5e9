#include <gtest/gtest.h>

#include <QApplication>
#include <QtQml/QQmlExtensionPlugin>

#include "AccessibleControl.h"

Q_IMPORT_QML_PLUGIN(TarvixPlugin)

// The alerts are message boxes, so the tests run a widgets application, drawn offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    tarvix::app::installAccessibleControls();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
