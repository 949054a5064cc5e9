#include "ContentView.h"

ContentView::ContentView(QObject* parent) : QObject(parent) {}
