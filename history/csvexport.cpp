#include "csvexport.h"

#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <cerrno>

#include "history/database.h"
#include "history/stats.h"
#include "platform/savefile.h"

namespace history {

ExportOutcome exportCsvFile(const QString &historyPath, const QString &csvPath,
                            const std::function<bool(qint64 rows, qint64 total)> &going)
{
    Database db(historyPath);
    if (!db.openForReading())
        return {ExportOutcome::Status::Unreadable, 0};
    // The count and the rows from the same state of the file.
    db.db().transaction();
    qint64 total = 0;
    {
        QSqlQuery q(db.db());
        if (q.exec(QStringLiteral("SELECT count(*) FROM readings")) && q.next())
            total = q.value(0).toLongLong();
    }
    platform::SafeFile out(csvPath);
    if (!out.open())
        return {ExportOutcome::Status::Failed, out.errorNumber()};
    bool cancelled = going && !going(0, total);
    const bool written = !cancelled && exportCsv(db.db(), out, nullptr, [&](qint64 rows) {
        cancelled = going && !going(rows, total);
        return !cancelled;
    });
    db.db().rollback();
    if (cancelled || (going && !going(total, total))) {
        out.cancel();
        return {ExportOutcome::Status::Cancelled, 0};
    }
    if (written && out.commit())
        return {ExportOutcome::Status::Written, 0};
    out.cancel();
    return {ExportOutcome::Status::Failed, out.errorNumber() ? out.errorNumber() : EIO};
}

CsvExporter::~CsvExporter()
{
    if (thread_) {
        *stop_ = true;
        thread_->wait();
        delete thread_;
    }
}

void CsvExporter::start(const QString &historyPath, const QString &csvPath)
{
    if (thread_)
        return;
    auto stop = std::make_shared<std::atomic_bool>(false);
    stop_ = stop;
    thread_ = QThread::create([this, historyPath, csvPath, stop] {
        qint64 shown = -1;
        const ExportOutcome outcome = exportCsvFile(historyPath, csvPath, [&](qint64 rows, qint64 total) {
            const qint64 step = total > 0 ? rows * 100 / total : 0;
            if (step != shown) {
                shown = step;
                QMetaObject::invokeMethod(
                    this, [this, rows, total] { emit progress(rows, total); }, Qt::QueuedConnection);
            }
            return !*stop;
        });
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                thread_->wait(); // nothing is left for it but to end
                delete std::exchange(thread_, nullptr);
                emit finished(outcome);
            },
            Qt::QueuedConnection);
    });
    thread_->setObjectName(QStringLiteral("CSV export"));
    thread_->start(QThread::LowPriority);
}

void CsvExporter::cancel()
{
    if (stop_)
        *stop_ = true;
}

} // namespace history
