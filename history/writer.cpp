#include "writer.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

#include <chrono>

#include "history/database.h"
#include "platform/services.h"

namespace history {

QString unavailableMessage(const QString &path)
{
    return QStringLiteral("学習記録ファイル(%1)に書き込めません。\n"
                          "ゲームとトレーニングはこれまでどおり遊べますが、学習記録は残りません。")
        .arg(QDir::toNativeSeparators(path));
}

QString damagedQuestion(const QString &fileName)
{
    return QStringLiteral("学習記録ファイル(%1)が壊れています。\n"
                          "壊れたファイルは名前を変えて残し、新しい学習記録を始めますか?\n"
                          "「いいえ」ならファイルには手を触れず、学習記録なしで続けます。")
        .arg(fileName);
}

SqliteRecorder::SqliteRecorder(const QString &path, QObject *parent)
    : QObject(parent), path_(path)
{
    thread_.setObjectName(QStringLiteral("history writer"));
}

SqliteRecorder::~SqliteRecorder()
{
    if (worker_) {
        flush();
        QMetaObject::invokeMethod(
            worker_, [this] { delete db_; db_ = nullptr; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
        delete worker_;
    }
}

bool SqliteRecorder::start()
{
    const QString name = QFileInfo(path_).fileName();
    OpenResult result;
    {
        Database probe(path_);
        result = probe.open(true);
        if (result != OpenResult::Ok)
            qWarning("history: %s", qUtf8Printable(probe.lastError()));
    }
    if (result == OpenResult::Damaged) {
        if (!platform::services().messages->askYesNo(damagedQuestion(name))) {
            told_ = true; // the question was the telling
            return false;
        }
        if (setAside(path_, now()).isEmpty()) {
            tellOnce();
            return false;
        }
        Database fresh(path_);
        result = fresh.open();
    }
    if (result != OpenResult::Ok) {
        tellOnce();
        return false;
    }

    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    thread_.start();
    recording_ = true;
    return true;
}

void SqliteRecorder::tellOnce()
{
    if (told_)
        return;
    told_ = true;
    const QString message = unavailableMessage(path_);
    if (recording_ && tellDuringPlay)
        tellDuringPlay(message);
    else
        platform::services().messages->inform(message);
}

void SqliteRecorder::record(const Take &take)
{
    if (!recording_)
        return;
    const QDateTime at = now();
    QMetaObject::invokeMethod(
        worker_,
        [this, take, at] {
            if (!db_) {
                db_ = new Database(path_);
                if (db_->open() != OpenResult::Ok) {
                    qWarning("history: %s", qUtf8Printable(db_->lastError()));
                    delete db_;
                    db_ = nullptr;
                    QMetaObject::invokeMethod(this, [this] { tellOnce(); }, Qt::QueuedConnection);
                    return;
                }
            }
            if (!db_->insert(take, at)) {
                qWarning("history: %s", qUtf8Printable(db_->lastError()));
                QMetaObject::invokeMethod(this, [this] { tellOnce(); }, Qt::QueuedConnection);
            }
        },
        Qt::QueuedConnection);
}

qint64 SqliteRecorder::newSession(Mode)
{
    // Microseconds of the wall clock: distinct between copies of the program
    // sharing the file, and in the order the sessions began.
    using namespace std::chrono;
    qint64 n = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    if (n <= lastSession_)
        n = lastSession_ + 1;
    lastSession_ = n;
    return n;
}

void SqliteRecorder::flush()
{
    if (worker_)
        QMetaObject::invokeMethod(worker_, [] {}, Qt::BlockingQueuedConnection);
}

} // namespace history
