#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

#include "history/schedule.h"

class QThread;

namespace history {

// The review schedule, worked out once per change of the history and shared
// by every window that shows it (the quiz's 今日の復習, the statistics). It
// is built on a thread of its own as the takes stream out of the file; the
// windows never wait for it.
//
// It is worked out again when a take has been written (takeWritten()), the
// retention changed, another file is in use, or the file changed on the
// disk (another copy of the program). The day does not enter it: dueOn()
// and newOn() ask for a day of their own.
class ScheduleCache : public QObject {
    Q_OBJECT
public:
    explicit ScheduleCache(QObject *parent = nullptr);
    ~ScheduleCache() override; // stops a build still running and waits for it

    // True, and schedule() is the history's as it stands, when nothing has
    // changed since the last build; else a build is started (unless the same
    // one is running) and ready() follows.
    bool request();
    // The last schedule delivered; every poem new before the first.
    const Schedule &schedule() const { return schedule_; }
    bool building() const { return thread_ != nullptr; }
    // Blocks until the running build is delivered (tests, benchmarks).
    void wait();

public slots:
    // The history changed: a take was written.
    void takeWritten();

signals:
    void ready();

private:
    struct Key {
        QString path;
        double retention = 0;
        quint64 writes = 0;
        QString stamp; // the file's and its log's sizes and times
        bool operator==(const Key &) const = default;
    };
    Key keyNow() const;
    void start(const Key &key);
    void finished(QThread *thread, const Key &key, const Schedule &schedule);

    quint64 writes_ = 0;
    bool held_ = false;
    Key heldKey_;
    Schedule schedule_;
    QThread *thread_ = nullptr; // the newest build
    Key buildingKey_;
    std::shared_ptr<std::atomic_bool> stop_;
    QList<QThread *> threads_; // owned; older builds still stopping
};

} // namespace history
