#include <QtTest>

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>

#include "platform/services.h"
#include "platform/sjis.h"
#include "platform/ui/desktop.h"

using namespace platform;

// The real name prompt: its field never holds more than 255 bytes of
// Shift-JIS, whether the name is typed or pasted, and never half a character.
class tst_NameBox : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::installDesktopServices(); }
    void fieldIsCutAt255Bytes_data();
    void fieldIsCutAt255Bytes();
};

void tst_NameBox::fieldIsCutAt255Bytes_data()
{
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    const QString a255(255, u'a');
    const QString kana127(127, u'あ');
    QTest::newRow("255 typed letters stay") << false << a255 << a255;
    QTest::newRow("the 256th typed letter is refused") << false << a255 + u'b' << a255;
    QTest::newRow("pasted kana end on a whole character")
        << true << QString(130, u'あ') << kana127;
    QTest::newRow("a kana across byte 255 is dropped whole")
        << true << u'a' + kana127 + u'い' << u'a' + kana127;
}

void tst_NameBox::fieldIsCutAt255Bytes()
{
    QFETCH(bool, paste);
    QFETCH(QString, text);
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        QLineEdit *edit = dialog ? dialog->findChild<QLineEdit *>() : nullptr;
        if (!edit)
            return;
        seen = true;
        if (paste) {
            QGuiApplication::clipboard()->setText(text);
            QTest::keySequence(edit, QKeySequence::Paste);
        } else {
            QTest::keyClicks(edit, text);
        }
        dialog->accept();
    });
    const QString name = services().inputBox->ask(QStringLiteral("琴葉"), QStringLiteral("名前"), QString());
    QVERIFY(seen);
    QVERIFY2(sjis::encode(name).size() <= 255, qPrintable(QString::number(sjis::encode(name).size())));
    QTEST(name, "kept");
}

QTEST_MAIN(tst_NameBox)
#include "tst_namebox.moc"
