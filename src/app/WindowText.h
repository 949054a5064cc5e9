#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>

namespace tarvix::app {

/// A text the flows, the core or the alerts hand to the window in English (the log quotes it so),
/// as the user reads it: translated when the catalog knows it, else unchanged.
QString windowText(const QString& english);

/// windowText() for QML: the window translates the English texts it is handed when it shows them.
class WindowText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    Q_INVOKABLE QString of(const QString& english) const { return windowText(english); }
};

}  // namespace tarvix::app
