#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>

namespace tarvix::app {

/// The session's enums, seen by QML scoped (SessionTypes.Field.email): QML reaches an unscoped
/// enum key only when it starts with a capital letter, and these keep their lower-case names.
namespace SessionTypes {
Q_NAMESPACE
QML_ELEMENT

/// The reason shown under an upload failure.
enum class SecondaryError { none, network, canceled };
Q_ENUM_NS(SecondaryError)

/// Which text input holds the keyboard focus.
enum class Field { feedback, email };
Q_ENUM_NS(Field)

/// Where the window's session stands; what each control shows follows from it (Main.qml).
enum class Phase { ready, monitoring, collecting, logsReady, packaging, uploading, sent, failed };
Q_ENUM_NS(Phase)

}  // namespace SessionTypes

using SessionTypes::Field;
using SessionTypes::Phase;
using SessionTypes::SecondaryError;

}  // namespace tarvix::app
