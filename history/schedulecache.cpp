#include "schedulecache.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QThread>

#include "history/database.h"

namespace history {

ScheduleCache::ScheduleCache(QObject *parent)
    : QObject(parent)
{
}

ScheduleCache::~ScheduleCache()
{
    if (stop_)
        *stop_ = true;
    for (QThread *thread : std::as_const(threads_)) {
        thread->wait();
        delete thread;
    }
    // A result still queued for this object dies with it.
}

ScheduleCache::Key ScheduleCache::keyNow() const
{
    Key key{databasePath(), reviewOptions().retention, writes_, {}};
    // A stat or two: cheap enough for the window thread, and it catches what
    // another copy of the program wrote.
    for (const QString &file : {key.path, key.path + QStringLiteral("-wal")}) {
        const QFileInfo info(file);
        key.stamp += QStringLiteral("%1@%2;").arg(info.exists() ? info.size() : -1).arg(
            info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0);
    }
    return key;
}

bool ScheduleCache::request()
{
    const Key key = keyNow();
    if (held_ && heldKey_ == key && !thread_)
        return true;
    if (!thread_ || !(buildingKey_ == key))
        start(key);
    return false;
}

void ScheduleCache::takeWritten()
{
    ++writes_;
}

void ScheduleCache::start(const Key &key)
{
    if (stop_)
        *stop_ = true; // an older build's result would be stale
    auto stop = std::make_shared<std::atomic_bool>(false);
    stop_ = stop;
    buildingKey_ = key;
    const Fsrs fsrs(key.retention);
    QThread *thread = QThread::create([this, key, fsrs, stop] {
        Schedule schedule = scheduleFromHistory(fsrs, key.path, [&stop] { return bool(*stop); });
        if (*stop)
            return;
        QThread *self = QThread::currentThread();
        QMetaObject::invokeMethod(
            this, [this, self, key, schedule = std::move(schedule)] { finished(self, key, schedule); },
            Qt::QueuedConnection);
    });
    thread->setObjectName(QStringLiteral("review schedule"));
    threads_ << thread;
    thread_ = thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        threads_.removeOne(thread);
        thread->wait(); // finished is sent just before the thread ends
        delete thread;
        if (thread_ == thread) // stopped before it could deliver
            thread_ = nullptr;
    });
    thread->start(QThread::LowPriority);
}

void ScheduleCache::finished(QThread *thread, const Key &key, const Schedule &schedule)
{
    if (thread != thread_)
        return;
    thread_ = nullptr;
    schedule_ = schedule;
    held_ = true;
    heldKey_ = key;
    emit ready();
}

void ScheduleCache::wait()
{
    while (thread_) {
        QThread *thread = thread_;
        thread->wait();
        // The result was queued before the thread ended.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (thread_ == thread)
            break; // stopped without a result
    }
}

} // namespace history
