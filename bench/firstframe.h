#pragma once

// What a start-up child (the program under bench_startup, or bare_window)
// sends its parent over descriptor 3 once its first frame is painted: its
// peak resident memory so far, in KiB, on one line.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

#include <unistd.h>

namespace bench {

inline long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Reports from the event loop right after the watched window's first paint
// event (the rest of the frame is painted and flushed in that same pass),
// then runs `then`. Work that another filter queues from the same paint
// event waits behind the report if that filter was installed first.
class FirstFrameReport : public QObject {
public:
    explicit FirstFrameReport(std::function<void()> then = {}) : then_(std::move(then)) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                const std::string line = std::to_string(peakKiB()) + "\n";
                [[maybe_unused]] const ssize_t n = write(3, line.data(), line.size());
                if (then_)
                    then_();
            });
        }
        return false;
    }

private:
    std::function<void()> then_;
};

} // namespace bench
