#include "AccessibleControl.h"

#include <QtQuick/private/qaccessiblequickitem_p.h>

#include <algorithm>
#include <memory>

namespace tarvix::app {

/// A window item on the accessibility bus: Qt Quick's own description, plus what Qt 6.4 leaves
/// out. A disabled item reports itself disabled (Qt reports every item enabled); "Press" clicks
/// a button or link and "Toggle" ticks a check box (Qt does nothing, or flips the box without
/// telling the window); text inputs take text through EditableText (Qt offers none), handed to
/// the input's enterText(text) as it is.
///
/// Built on Qt's exported (private) item interface so that the tree, the geometry and the text
/// interface stay Qt's own; only the parts above differ.
class AccessibleControl : public QAccessibleQuickItem, public QAccessibleEditableTextInterface {
public:
    explicit AccessibleControl(QQuickItem* item);

    QAccessible::State state() const override;
    void doAction(const QString& actionName) override;
    void setText(QAccessible::Text type, const QString& text) override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    bool isEditable() const;
    QString currentText() const;
    void enterText(const QString& text);
};

namespace {

bool isButton(const QQuickItem* item) { return item->inherits("QQuickAbstractButton"); }

QAccessibleInterface* accessibleControlFactory(const QString& className, QObject* object)
{
    // Asked for each class of the object's hierarchy; answer where Qt Quick's factory does.
    if (className != QLatin1String("QQuickItem")) return nullptr;
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item) return nullptr;
    auto control = std::make_unique<AccessibleControl>(item);
    return control->isAccessible() ? control.release() : nullptr;
}

}  // namespace

AccessibleControl::AccessibleControl(QQuickItem* item) : QAccessibleQuickItem(item)
{
    // A screen reader learns of the change as it happens, as it does for checked or focused.
    QObject::connect(item, &QQuickItem::enabledChanged, item, [item] {
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent event(item, changed);
        QAccessible::updateAccessibility(&event);
    });
}

QAccessible::State AccessibleControl::state() const
{
    QAccessible::State state = QAccessibleQuickItem::state();
    if (!item()->isEnabled()) state.disabled = true;
    return state;
}

void AccessibleControl::doAction(const QString& actionName)
{
    const bool press = actionName == QAccessibleActionInterface::pressAction();
    const bool toggle = actionName == QAccessibleActionInterface::toggleAction();
    if (!isButton(item()) || !(press || toggle)) {
        QAccessibleQuickItem::doAction(actionName);
        return;
    }
    if (!item()->isEnabled()) return;
    // What a click does: a check box changes and says so, then every button reports the click.
    if (item()->property("checkable").toBool()) {
        QMetaObject::invokeMethod(item(), "toggle");
        QMetaObject::invokeMethod(item(), "toggled");
    } else if (toggle) {
        return;
    }
    QMetaObject::invokeMethod(item(), "clicked");
}

void AccessibleControl::setText(QAccessible::Text type, const QString& text)
{
    if (type == QAccessible::Value && isEditable())
        enterText(text);
    else
        QAccessibleQuickItem::setText(type, text);
}

void* AccessibleControl::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::EditableTextInterface && isEditable())
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleQuickItem::interface_cast(type);
}

void AccessibleControl::deleteText(int startOffset, int endOffset) { replaceText(startOffset, endOffset, QString()); }

void AccessibleControl::insertText(int offset, const QString& text) { replaceText(offset, offset, text); }

void AccessibleControl::replaceText(int startOffset, int endOffset, const QString& text)
{
    const QString current = currentText();
    const qsizetype start = std::clamp<qsizetype>(startOffset, 0, current.size());
    const qsizetype end = std::clamp<qsizetype>(endOffset, start, current.size());
    enterText(current.left(start) + text + current.mid(end));
}

bool AccessibleControl::isEditable() const
{
    return role() == QAccessible::EditableText && !item()->property("readOnly").toBool();
}

QString AccessibleControl::currentText() const
{
    // The text interface reports line breaks as paragraph separators; the input holds line feeds.
    return text(0, characterCount()).replace(QChar::ParagraphSeparator, u'\n');
}

void AccessibleControl::enterText(const QString& text)
{
    if (!item()->isEnabled()) return;
    if (item()->metaObject()->indexOfMethod("enterText(QVariant)") >= 0)
        QMetaObject::invokeMethod(item(), "enterText", Q_ARG(QVariant, text));
    else
        QAccessibleQuickItem::setText(QAccessible::Value, text);
}

void installAccessibleControls() { QAccessible::installFactory(&accessibleControlFactory); }

}  // namespace tarvix::app
