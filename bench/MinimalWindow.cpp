// The start-up benchmark's reference: the smallest Qt Quick window, with nothing of Tarvix in it.
#include <QGuiApplication>
#include <QQmlApplicationEngine>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData("import QtQuick\nWindow { width: 640; height: 480; visible: true; title: \"Minimal\" }");
    return engine.rootObjects().isEmpty() ? 1 : app.exec();
}
