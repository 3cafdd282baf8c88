#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>

#include "history/database.h"
#include "history/stats.h"

namespace history {

// What the statistics window shows for one filter.
struct Loaded {
    Statistics stats;
    bool anyHistory = false; // the file holds takes, whatever the filter
    bool readOnly = false;   // shown as it stands: the player may not write it
    Trouble trouble = Trouble::None; // why it could not be read
};

// Opens the file read-only and gathers its figures. `stopped` is asked now
// and then; once it says yes the result is incomplete and meant to be dropped.
// The review schedule is not among them: ScheduleCache shares it.
Loaded readStatistics(const QString &path, const Filter &filter, const std::function<bool()> &stopped = {});

// Reads the figures on a thread of their own, with a connection of that
// thread's own, so the window thread is never held by a large history. Only
// the newest load is delivered: a newer one stops and drops the older.
class StatisticsLoader : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~StatisticsLoader() override; // stops the loads still running and waits for them

    void load(const QString &path, const Filter &filter);
    // Stops the running loads; nothing is delivered until the next load.
    void cancel();
    bool loading() const { return delivered_ != requested_; }
    // Blocks until the newest load has been delivered (tests, benchmarks).
    void wait();

signals:
    void loaded(const history::Loaded &result);

private:
    void deliver(quint64 generation, const Loaded &result);

    quint64 requested_ = 0;
    quint64 delivered_ = 0;
    QList<QThread *> threads_;  // owned; a finished thread is deleted on this thread
    QPointer<QThread> newest_;
};

} // namespace history
