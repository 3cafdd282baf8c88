// Leaks on purpose, in each way the program's own code runs under Qt: a
// test function called by Qt Test, a widget's event handler called through
// QApplication::notify, and a timer's tick called by the event loop. The
// leak checker must report every one of them with the suppressions in use;
// a suppression that names a library on these paths would hide them all.
//   leaky test-function | handler | timer
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest>

namespace {

[[gnu::noinline]] void leak()
{
    char *volatile block = new char[64];
    block[0] = 1;
}

class LeakyTest : public QObject {
    Q_OBJECT
private slots:
    void leaks()
    {
        leak();
        QVERIFY(true);
    }
};

class LeakyWidget : public QWidget {
protected:
    void mousePressEvent(QMouseEvent *) override { leak(); }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QByteArray how = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (how == "test-function") {
        LeakyTest test;
        return QTest::qExec(&test, 1, argv);
    }
    if (how == "handler") {
        LeakyWidget w;
        w.resize(20, 20);
        QTest::mouseClick(&w, Qt::LeftButton);
        return 0;
    }
    if (how == "timer") {
        QTimer::singleShot(0, &app, [] {
            leak();
            QCoreApplication::quit();
        });
        return app.exec();
    }
    return 2;
}

#include "leaky.moc"
