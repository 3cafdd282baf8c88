#pragma once

#include <QObject>

class QSocketNotifier;
class QTimer;

namespace platform::ui {

// A repeating timer for the readings' ticks. QTimer rounds each wait up to
// the next whole millisecond, so its ticks come up to a millisecond late;
// this one waits on a Linux timer file, whose expirations keep to the exact
// schedule set at start. Missed expirations give one tick, as with QTimer.
// Without timer files it falls back to a precise QTimer.
//
// Unlike QTimer, an interval of 0 does not run: such a timer stays stopped.
class TickTimer : public QObject {
    Q_OBJECT
public:
    explicit TickTimer(QObject *parent = nullptr);
    ~TickTimer() override;

    // Restarts a running timer with the new interval, as QTimer does.
    void setInterval(int ms);
    int interval() const { return interval_; }
    void start();
    void start(int ms);
    void stop();
    bool isActive() const { return active_; }

signals:
    void timeout();

private:
    void arm(int ms);
    void expired();

    int fd_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    QTimer *fallback_ = nullptr;
    int interval_ = 0;
    bool active_ = false;
};

} // namespace platform::ui
