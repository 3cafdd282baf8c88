#include <QtTest>

#include <QLineEdit>
#include <QPushButton>

#include "../support/keys.h"
#include "platform/ui/form.h"

using namespace platform;
using namespace platform::ui;

class tst_Keyboard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { form_.reset(); }
    void keysActOnce_data();
    void keysActOnce();
    void focusedButtonIsMarkedWithoutKeyboardNavigation();

private:
    std::unique_ptr<Form> form_;
    QPushButton *button_ = nullptr;
    QLineEdit *field_ = nullptr;
    int presses_ = 0;
};

void tst_Keyboard::init()
{
    form_ = std::make_unique<Form>(QStringLiteral("琴葉"), QSize(300, 200));
    button_ = new QPushButton(QStringLiteral("出題"), form_.get());
    button_->setGeometry(10, 10, 120, 25);
    field_ = new QLineEdit(form_.get());
    field_->setGeometry(10, 100, 200, 25);
    presses_ = 0;
    connect(button_, &QPushButton::clicked, this, [this] { ++presses_; });
    connect(field_, &QLineEdit::returnPressed, this, [this] { ++presses_; });
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void tst_Keyboard::keysActOnce_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("typed");

    const Qt::KeyboardModifiers none;
    // Held Return and Space on the windows' buttons: the game and training suites.
    QTest::newRow("keypad Enter presses the focused button")
        << "button" << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier) << 0 << 1 << "";
    QTest::newRow("a text field keeps held digits") << "field" << Qt::Key_7 << none << 3 << 0 << "7777";
    QTest::newRow("held Return accepts a text field once") << "field" << Qt::Key_Return << none << 6 << 1 << "";
}

void tst_Keyboard::keysActOnce()
{
    QFETCH(QString, focus);
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, repeats);
    QFETCH(int, presses);
    QFETCH(QString, typed);

    (focus == QLatin1String("field") ? static_cast<QWidget *>(field_) : button_)->setFocus();
    keys::hold(key, repeats, modifiers);
    QCOMPARE(presses_, presses);
    QCOMPARE(field_->text(), typed);
}

void tst_Keyboard::focusedButtonIsMarkedWithoutKeyboardNavigation()
{
    field_->setFocus();
    const QImage plain = button_->grab().toImage();
    button_->setFocus(); // as a program moves it, not by Tab
    const QImage marked = button_->grab().toImage();
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            changed += plain.pixel(x, y) != marked.pixel(x, y);
    // An outline and a dotted frame change a good share of the border rows.
    QVERIFY2(changed > button_->width(), qPrintable(QString::number(changed)));
}

QTEST_MAIN(tst_Keyboard)
#include "tst_keyboard.moc"
