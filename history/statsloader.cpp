#include "statsloader.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include "history/database.h"

namespace history {

Loaded readStatistics(const QString &path, const Filter &filter, const std::function<bool()> &stopped)
{
    Loaded result;
    Database db(path);
    if (!db.openForReading()) {
        result.trouble = db.trouble();
        return result;
    }
    result.readOnly = db.readOnly();
    // Every pass over the rows sees the same state of the file, though the
    // writer commits meanwhile; the read ends with the connection.
    db.db().transaction();
    // The figures read every page once: a larger page cache only holds memory.
    QSqlQuery(db.db()).exec(QStringLiteral("PRAGMA cache_size = -256"));
    result.stats = loadStatistics(db.db(), filter, stopped);
    if (result.stats.total > 0) {
        result.anyHistory = true;
    } else {
        QSqlQuery q(db.db());
        result.anyHistory = q.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM readings)")) && q.next()
            && q.value(0).toBool();
    }
    return result;
}

StatisticsLoader::~StatisticsLoader()
{
    for (QThread *thread : std::as_const(threads_))
        thread->requestInterruption();
    for (QThread *thread : std::as_const(threads_)) {
        thread->wait();
        delete thread;
    }
    // Results still queued for this object die with it.
}

void StatisticsLoader::load(const QString &path, const Filter &filter)
{
    cancel();
    const quint64 generation = ++requested_;
    QThread *thread = QThread::create([this, path, filter, generation] {
        const auto stopped = [] { return QThread::currentThread()->isInterruptionRequested(); };
        Loaded result = readStatistics(path, filter, stopped);
        if (stopped())
            return;
        QMetaObject::invokeMethod(
            this, [this, generation, result = std::move(result)] { deliver(generation, result); },
            Qt::QueuedConnection);
    });
    threads_ << thread;
    newest_ = thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        threads_.removeOne(thread);
        thread->wait(); // finished is sent just before the thread ends
        delete thread;
    });
    thread->start(QThread::LowPriority);
}

void StatisticsLoader::cancel()
{
    for (QThread *thread : std::as_const(threads_))
        thread->requestInterruption();
    delivered_ = ++requested_;
}

void StatisticsLoader::wait()
{
    while (loading() && newest_) {
        newest_->wait();
        // The result was queued before the thread ended.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void StatisticsLoader::deliver(quint64 generation, const Loaded &result)
{
    if (generation != requested_)
        return;
    delivered_ = generation;
    emit loaded(result);
}

} // namespace history
