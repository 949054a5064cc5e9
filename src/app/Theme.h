#pragma once

#include <QtQml/qqmlregistration.h>

#include <QColor>
#include <QFont>
#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <optional>

namespace tarvix::app {

/// The named colours (light and dark values), the brand font, the images and the measures of the
/// window. Dark values apply while the application palette's window colour is dark.
class Theme : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool dark READ dark NOTIFY changed)
    Q_PROPERTY(QColor textColor READ textColor NOTIFY changed)
    /// Every named colour by name, for bindings that follow the appearance.
    Q_PROPERTY(QVariantMap colors READ colors NOTIFY changed)
    Q_PROPERTY(int standardPadding READ standardPadding CONSTANT)
    Q_PROPERTY(int defaultSpacing READ defaultSpacing CONSTANT)
    Q_PROPERTY(QSize defaultWindowSize READ defaultWindowSize CONSTANT)

public:
    explicit Theme(QObject* parent = nullptr);

    bool dark() const;
    QColor textColor() const;
    QVariantMap colors() const;
    int standardPadding() const { return 8; }
    int defaultSpacing() const { return 8; }
    /// The size a new window asks for.
    QSize defaultWindowSize() const { return {572, 528}; }

    /// A named colour asset, or a system colour ("white", "clear"); transparent when unknown.
    Q_INVOKABLE QColor color(const QString& name) const;
    /// The brand font "NorvaneCleanRegular" at `size`, else the system font at the same size.
    Q_INVOKABLE QFont customFont(int size) const;
    /// The image asset `name` ("erroricon", ...): an SVG, drawn at the screen's full resolution.
    Q_INVOKABLE QUrl image(const QString& name) const;

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Asked once: every text of the window asks, and each answer costs a font configuration lookup.
    mutable std::optional<bool> m_brandInstalled;
};

}  // namespace tarvix::app
