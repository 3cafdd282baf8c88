#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace history {

struct ExportOutcome {
    enum class Status { Written, Cancelled, Unreadable, Failed };
    Status status = Status::Failed;
    int error = 0; // errno of a failed write, when the file system told one
};

// The history file's readings as CSV (exportCsv()) into `csvPath`, which is
// replaced only once every byte is on the disk. `going(rows, total)` is told
// the rows written so far and asked whether to go on; once it says no, or
// anything fails, an existing file stays as it was.
ExportOutcome exportCsvFile(const QString &historyPath, const QString &csvPath,
                            const std::function<bool(qint64 rows, qint64 total)> &going = {});

// The same on a thread of its own, so that a large history never holds the
// window thread. One export at a time.
class CsvExporter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CsvExporter() override; // cancels a running export and waits for it

    void start(const QString &historyPath, const QString &csvPath);
    void cancel();
    bool running() const { return thread_ != nullptr; }

signals:
    // At most once per hundredth of the rows.
    void progress(qint64 rows, qint64 total);
    void finished(const history::ExportOutcome &outcome);

private:
    QThread *thread_ = nullptr;
    std::shared_ptr<std::atomic_bool> stop_;
};

} // namespace history
