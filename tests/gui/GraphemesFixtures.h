#pragma once

#include <QString>

namespace tarvix::test {

/// Man, woman, girl joined by zero-width joiners: one character, eight UTF-16 units.
inline const QString kFamily = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467");
/// Thai KO KAI + SARA AM: one character that Qt 6.4's boundary finder splits.
inline const QString kThaiSaraAm = QString::fromUtf8("\u0E01\u0E33");
/// e + combining acute accent.
inline const QString kDecomposedE = QString::fromUtf8("e\u0301");

}  // namespace tarvix::test
