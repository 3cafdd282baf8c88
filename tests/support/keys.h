#pragma once

// Keys as a real keyboard sends them: a held key repeats as auto-repeated
// release/press pairs, each delivered to whichever widget has the focus at
// that moment, shortcut override first.

#include <QApplication>
#include <QtTest>

namespace keys {

inline void send(bool press, Qt::Key key, Qt::KeyboardModifiers modifiers, bool repeat)
{
    QWidget *target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::simulateEvent(target, press, key, modifiers, QString(QChar(QTest::keyToAscii(key))), repeat);
}

// Press, `repeats` auto-repeats, release.
inline void hold(Qt::Key key, int repeats, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    send(true, key, modifiers, false);
    for (int i = 0; i < repeats; ++i) {
        send(false, key, modifiers, true);
        send(true, key, modifiers, true);
    }
    send(false, key, modifiers, false);
}

} // namespace keys
