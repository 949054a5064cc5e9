#include "Theme.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace tarvix::app {

namespace {

struct NamedColour {
    const char* name;
    const char* light;
    const char* dark;
};

// Pairs chosen for contrast on their own background in both appearances.
constexpr std::array<NamedColour, 9> kColours{{
    {"BackgroundColor", "#f7f8fa", "#1d1f23"},
    {"PrimaryColor", "#2458c6", "#4c82f0"},
    {"PrimaryTextColor", "#1c2430", "#e8ebf0"},
    {"SecondaryTextColor", "#545e6c", "#a7afbb"},
    {"Border", "#b9c0ca", "#4d535c"},
    {"error", "#c62828", "#ff6b6b"},
    {"CheckboxColor", "#2458c6", "#4c82f0"},
    {"FooterText", "#6b7380", "#8f97a4"},
    {"Link", "#1f52b8", "#8ab4ff"},
}};

constexpr const char* kBrandFamily = "NorvaneCleanRegular";

}  // namespace

Theme::Theme(QObject* parent) : QObject(parent)
{
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

bool Theme::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange) emit changed();
    return QObject::eventFilter(watched, event);
}

QVariantMap Theme::colors() const
{
    QVariantMap map;
    for (const auto& colour : kColours) map.insert(QLatin1String(colour.name), color(QLatin1String(colour.name)));
    map.insert(QStringLiteral("white"), QColor(Qt::white));
    map.insert(QStringLiteral("clear"), QColor(Qt::transparent));
    return map;
}

bool Theme::dark() const { return QGuiApplication::palette().color(QPalette::Window).lightnessF() < 0.5; }

QColor Theme::textColor() const { return color(QStringLiteral("PrimaryTextColor")); }

QColor Theme::color(const QString& name) const
{
    if (name == QLatin1String("clear")) return Qt::transparent;
    if (name == QLatin1String("white")) return Qt::white;
    const bool isDark = dark();
    for (const auto& colour : kColours)
        if (name == QLatin1String(colour.name)) return QColor(QLatin1String(isDark ? colour.dark : colour.light));
    return Qt::transparent;
}

QFont Theme::customFont(int size) const
{
    if (!m_brandInstalled) m_brandInstalled = QFontDatabase::hasFamily(QString::fromLatin1(kBrandFamily));
    QFont font = *m_brandInstalled ? QFont(QString::fromLatin1(kBrandFamily)) : QGuiApplication::font();
    font.setPixelSize(size);
    font.setWeight(QFont::Normal);
    return font;
}

QUrl Theme::image(const QString& name) const
{
    return QUrl(QStringLiteral("qrc:/qt/qml/Tarvix/assets/%1.svg").arg(name));
}

}  // namespace tarvix::app
