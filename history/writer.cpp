#include "writer.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMetaObject>

#include <chrono>
#include <utility>

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
        // A check that passed but whose outcome never came back still leaves
        // its connection open: what waited for it is written.
        QMetaObject::invokeMethod(
            worker_,
            [this, waiting = pending_] {
                if (db_) {
                    for (const Pending &p : waiting)
                        db_->insert(p.take, p.at);
                }
                delete db_;
                db_ = nullptr;
            },
            Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
        delete worker_;
    }
}

void SqliteRecorder::start()
{
    Q_ASSERT(state_ == State::Idle);
    state_ = State::Checking;
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    thread_.start();
    openOnWorker(true);
}

bool SqliteRecorder::waitUntilStarted()
{
    if (state_ == State::Checking) {
        QEventLoop loop;
        connect(this, &SqliteRecorder::started, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return state_ == State::Recording;
}

// The quick check reads every page: 0.3 s over a million takes, which the
// window thread must not wait for. A file found unfit is closed before its
// outcome is sent, so that it can be set aside.
void SqliteRecorder::openOnWorker(bool check)
{
    QMetaObject::invokeMethod(
        worker_,
        [this, check] {
            db_ = new Database(path_);
            const OpenResult result = db_->open(check);
            if (result != OpenResult::Ok) {
                qWarning("history: %s", qUtf8Printable(db_->lastError()));
                delete db_;
                db_ = nullptr;
            }
            QMetaObject::invokeMethod(this, [this, result, check] { checked(result, !check); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void SqliteRecorder::checked(OpenResult result, bool fresh)
{
    // The player is asked once: a new file failing is only told.
    if (result == OpenResult::Damaged && !fresh) {
        if (!platform::services().messages->askYesNo(damagedQuestion(QFileInfo(path_).fileName()))) {
            told_ = true; // the question was the telling
            finishStart(false);
            return;
        }
        if (setAside(path_, now()).isEmpty()) {
            tellOnce();
            finishStart(false);
            return;
        }
        openOnWorker(false);
        return;
    }
    if (result != OpenResult::Ok)
        tellOnce();
    finishStart(result == OpenResult::Ok);
}

void SqliteRecorder::finishStart(bool recording)
{
    state_ = recording ? State::Recording : State::Off;
    const QList<Pending> waiting = std::exchange(pending_, {});
    if (recording) {
        for (const Pending &p : waiting)
            post(p.take, p.at);
    }
    emit started(recording);
}

void SqliteRecorder::tellOnce()
{
    if (told_)
        return;
    told_ = true;
    const QString message = unavailableMessage(path_);
    if (state_ == State::Recording && tellDuringPlay)
        tellDuringPlay(message);
    else
        platform::services().messages->inform(message);
}

void SqliteRecorder::record(const Take &take)
{
    if (state_ == State::Checking)
        pending_.append({take, now()});
    else if (state_ == State::Recording)
        post(take, now());
}

void SqliteRecorder::post(const Take &take, const QDateTime &at)
{
    QMetaObject::invokeMethod(
        worker_,
        [this, take, at] {
            if (!db_->insert(take, at)) {
                qWarning("history: %s", qUtf8Printable(db_->lastError()));
                QMetaObject::invokeMethod(this, [this] { tellOnce(); }, Qt::QueuedConnection);
                return;
            }
            emit takeWritten();
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
