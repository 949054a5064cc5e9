#pragma once

#include <QString>

namespace tarvix::app {

/// User-perceived characters (extended grapheme clusters, by ICU: Qt 6.4's own boundary finder
/// splits clusters after Thai text and after ZWJ emoji).
int graphemeCount(const QString& text);
/// The first `count` user-perceived characters of `text`.
QString graphemePrefix(const QString& text, int count);

}  // namespace tarvix::app
