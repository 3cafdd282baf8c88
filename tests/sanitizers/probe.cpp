// Does on purpose what the sanitizer build must catch, so that a change to
// the flags or the suppressions that blinds it fails the suite.
//
// Leaks, in each way the program's own code runs under Qt: a test function
// called by Qt Test, a widget's event handler called through
// QApplication::notify, and a timer's tick called by the event loop. Every
// one must be reported with the suppressions in use; a suppression that
// names a library on these paths would hide them all.
// A read past a heap block, and a signed overflow, which must end the
// program rather than print a warning and carry on.
//   probe leak-in-test-function | leak-in-handler | leak-in-timer
//         | heap-overflow | signed-overflow
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <cstdio>
#include <limits>

namespace {

[[gnu::noinline]] void leak()
{
    char *volatile block = new char[64];
    block[0] = 1;
}

[[gnu::noinline]] int readPast(int n)
{
    volatile char *block = new char[n];
    const int c = block[n];
    delete[] block;
    return c;
}

[[gnu::noinline]] int overflow(int a)
{
    volatile int b = a;
    return b + 1;
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
    if (how == "leak-in-test-function") {
        LeakyTest test;
        return QTest::qExec(&test, 1, argv);
    }
    if (how == "leak-in-handler") {
        LeakyWidget w;
        w.resize(20, 20);
        QTest::mouseClick(&w, Qt::LeftButton);
        return 0;
    }
    if (how == "leak-in-timer") {
        QTimer::singleShot(0, &app, [] {
            leak();
            QCoreApplication::quit();
        });
        return app.exec();
    }
    if (how == "heap-overflow" || how == "signed-overflow") {
        const int r = how == "heap-overflow" ? readPast(16) : overflow(std::numeric_limits<int>::max());
        std::printf("carried on after %s (%d)\n", how.constData(), r);
        return 0;
    }
    return 2;
}

#include "probe.moc"
