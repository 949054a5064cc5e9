#include <QtQml/QQmlExtensionPlugin>

#include "TarvixApplication.h"

Q_IMPORT_QML_PLUGIN(TarvixPlugin)

int main(int argc, char* argv[]) { return tarvix::app::TarvixApplication::run(argc, argv); }
