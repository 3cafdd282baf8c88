#include "ticktimer.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdint>

#include <sys/timerfd.h>
#include <unistd.h>

namespace platform::ui {

TickTimer::TickTimer(QObject *parent)
    : QObject(parent)
{
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &TickTimer::expired);
    } else {
        fallback_ = new QTimer(this);
        fallback_->setTimerType(Qt::PreciseTimer);
        connect(fallback_, &QTimer::timeout, this, &TickTimer::timeout);
    }
}

TickTimer::~TickTimer()
{
    delete notifier_; // before its descriptor goes
    if (fd_ >= 0)
        close(fd_);
}

void TickTimer::setInterval(int ms)
{
    interval_ = ms;
    if (active_)
        start();
}

void TickTimer::start(int ms)
{
    interval_ = ms;
    start();
}

void TickTimer::start()
{
    active_ = interval_ > 0;
    arm(active_ ? interval_ : 0);
}

void TickTimer::stop()
{
    active_ = false;
    arm(0);
}

void TickTimer::arm(int ms)
{
    if (fallback_) {
        if (ms > 0)
            fallback_->start(ms);
        else
            fallback_->stop();
        return;
    }
    const timespec period{ms / 1000, (ms % 1000) * 1000000L};
    const itimerspec schedule{period, period}; // all zero disarms
    timerfd_settime(fd_, 0, &schedule, nullptr);
    // An expiration from before is not a tick of the new schedule.
    std::uint64_t expirations = 0;
    while (read(fd_, &expirations, sizeof expirations) < 0 && errno == EINTR) {
    }
}

void TickTimer::expired()
{
    std::uint64_t expirations = 0;
    if (read(fd_, &expirations, sizeof expirations) != sizeof expirations || !active_)
        return;
    emit timeout();
}

} // namespace platform::ui
