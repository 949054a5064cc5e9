#include <QtQml/QQmlExtensionPlugin>

#include "TarvixApp.h"

Q_IMPORT_QML_PLUGIN(TarvixPlugin)

int main(int argc, char* argv[]) { return TarvixApplication::run(argc, argv); }
