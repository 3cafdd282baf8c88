// The yardstick for the program's start-up: a bare Qt Widgets window of the
// main menu's size (592 x 423) and nothing else. bench_startup starts it
// with --first-paint-child and a pipe on descriptor 3: it writes one byte
// there once its first frame is painted, then quits. Alone it just shows
// the window.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstring>

#include <unistd.h>

namespace {

class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(592, 423);
    const bool report = argc > 1 && std::strcmp(argv[1], "--first-paint-child") == 0;
    FirstPaint watch;
    window.installEventFilter(&watch);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!watch.painted || !report)
            return;
        poll.stop();
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = write(3, &byte, 1);
        QCoreApplication::quit();
    });
    poll.start(0);
    window.show();
    return app.exec();
}
