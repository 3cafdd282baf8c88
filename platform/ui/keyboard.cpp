#include "keyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>

namespace platform::ui {
namespace {

bool isGuardedKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter
           || (key >= Qt::Key_0 && key <= Qt::Key_9);
}

bool isReturn(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool takesText(const QObject *target)
{
    const auto *w = qobject_cast<const QWidget *>(target);
    return w && w->testAttribute(Qt::WA_InputMethodEnabled);
}

class KeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        // Events to the window handles pass here too; only widgets decide.
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
            || !watched->isWidgetType())
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        switch (keyAction(*key, watched)) {
        case KeyAction::Deliver:
            return false;
        case KeyAction::Drop:
            // An accepted override keeps a mnemonic (Alt+digit) from firing.
            event->accept();
            return true;
        case KeyAction::Click:
            if (type == QEvent::KeyPress)
                static_cast<QPushButton *>(watched)->click();
            event->accept();
            return true;
        }
        return false;
    }
};

// Fusion marks the focused button only after keyboard navigation, and
// faintly. Here the focused push button always gets the highlighted outline
// and a dotted frame just inside its bevel, in the text colour.
class FocusMarkStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
        if (element != CE_PushButton || !button || !(option->state & State_HasFocus)) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionButton marked(*button);
        marked.state |= State_KeyboardFocusChange;
        QProxyStyle::drawControl(element, &marked, painter, widget);

        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(3, 3, -4, -4));
        painter->restore();
    }
};

} // namespace

KeyAction keyAction(const QKeyEvent &event, const QObject *target)
{
    const int key = event.key();
    if (!isGuardedKey(key))
        return KeyAction::Deliver;
    if (event.isAutoRepeat())
        return takesText(target) && !isReturn(key) ? KeyAction::Deliver : KeyAction::Drop;
    const auto *button = qobject_cast<const QPushButton *>(target);
    const bool bare = (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (isReturn(key) && bare && button && button->isEnabled())
        return KeyAction::Click;
    return KeyAction::Deliver;
}

void installKeyboardPolicy()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app)
        return;
    static QPointer<QObject> installedOn;
    if (installedOn == app)
        return;
    installedOn = app;
    app->installEventFilter(new KeyFilter(app));
    // The proxy wraps whichever style the application was given.
    QApplication::setStyle(new FocusMarkStyle(QStyleFactory::create(QApplication::style()->name())));
}

} // namespace platform::ui
