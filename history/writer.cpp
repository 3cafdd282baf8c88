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

QString waitingMessage(const QString &path, int waiting, int dropped, bool diskFull)
{
    QString text = diskFull ? QStringLiteral("ディスクに空きがないため、学習記録ファイル(%1)に書き込めません。\n")
                            : QStringLiteral("学習記録ファイル(%1)に書き込めません。\n");
    text += QStringLiteral("書き込めていない記録 %2 件は覚えておき、書き込めるようになりしだい書き込みます"
                           "(次の記録のとき、または終了するとき)。");
    text = text.arg(QDir::toNativeSeparators(path)).arg(waiting);
    if (dropped > 0)
        text += QStringLiteral("\n覚えておける数を超えた %1 件は残せませんでした。").arg(dropped);
    return text;
}

QString writtenLateMessage(int written)
{
    return QStringLiteral("書き込めていなかった学習記録 %1 件を、すべて書き込みました。").arg(written);
}

QString refusedMessage(const QString &path)
{
    return QStringLiteral("学習記録ファイル(%1)が記録を受け付けませんでした。\n"
                          "ゲームとトレーニングはこれまでどおり遊べますが、受け付けられなかった記録は残りません。")
        .arg(QDir::toNativeSeparators(path));
}

QString lostAtLeavingMessage(const QString &path, int lost)
{
    return QStringLiteral("学習記録ファイル(%1)に書き込めないまま終了するため、書き込めていない記録 %2 件は残せませんでした。")
        .arg(QDir::toNativeSeparators(path))
        .arg(lost);
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
        // its connection open: what waited for it is written. Takes kept
        // from a full disk have their last chance here.
        int lost = 0;
        QMetaObject::invokeMethod(
            worker_,
            [this, waiting = pending_, &lost] {
                if (db_) {
                    unwritten_ += waiting;
                    writeInOrder(nullptr);
                    lost = int(unwritten_.size());
                }
                unwritten_.clear();
                delete db_;
                db_ = nullptr;
            },
            Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
        delete worker_;
        if (lost > 0)
            platform::services().messages->inform(lostAtLeavingMessage(path_, lost));
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
    tell(state_ == State::Recording ? refusedMessage(path_) : unavailableMessage(path_));
}

void SqliteRecorder::tell(const QString &message)
{
    if (state_ == State::Recording && tellDuringPlay)
        tellDuringPlay(message);
    else
        platform::services().messages->inform(message);
}

void SqliteRecorder::reported(const Backlog &backlog)
{
    const Backlog before = std::exchange(backlog_, backlog);
    if (backlog.refused > before.refused)
        tellOnce();
    if (backlog.waiting > 0 || backlog.dropped > before.dropped) {
        const QString message = waitingMessage(path_, backlog.waiting, backlog.dropped, backlog.full);
        // One notice while takes wait; its count follows them.
        if (!noticeUp_)
            tell(message);
        else if (amendDuringPlay)
            amendDuringPlay(message);
        noticeUp_ = true;
    } else if (noticeUp_ && backlog.written > before.written) {
        noticeUp_ = false;
        if (amendDuringPlay)
            amendDuringPlay(writtenLateMessage(backlog.written - writtenBeforeNotice_));
    }
    if (!noticeUp_)
        writtenBeforeNotice_ = backlog.written;
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
        [this, next = Pending{take, at}] {
            const Backlog before = workerBacklog_;
            // Told on the window thread, where the recorder and its listeners live.
            if (writeInOrder(&next))
                QMetaObject::invokeMethod(this, [this] { emit takeWritten(); }, Qt::QueuedConnection);
            const Backlog now = workerBacklog_;
            if (now.waiting != before.waiting || now.written != before.written || now.dropped != before.dropped
                || now.refused != before.refused)
                QMetaObject::invokeMethod(this, [this, now] { reported(now); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

namespace {

// Failures that a later try may get past: space or rights coming back,
// another copy letting go of the file. The rest (a constraint of a table
// made by hand, say) refuse the take itself.
bool mayPassLater(int code)
{
    switch (code) {
    case 3:  // SQLITE_PERM
    case 5:  // SQLITE_BUSY
    case 6:  // SQLITE_LOCKED
    case 7:  // SQLITE_NOMEM
    case 8:  // SQLITE_READONLY
    case 10: // SQLITE_IOERR
    case 13: // SQLITE_FULL
    case 14: // SQLITE_CANTOPEN
    case 15: // SQLITE_PROTOCOL
        return true;
    default:
        return false;
    }
}

} // namespace

bool SqliteRecorder::writeInOrder(const Pending *next)
{
    Backlog &b = workerBacklog_;
    bool any = false;
    qsizetype older = unwritten_.size(); // those that already failed once
    if (next)
        unwritten_.append(*next);
    for (; !unwritten_.isEmpty(); --older) {
        const Pending &p = unwritten_.first();
        if (!db_->insert(p.take, p.at)) {
            qWarning("history: %s", qUtf8Printable(db_->lastError()));
            if (mayPassLater(db_->lastCode())) {
                b.full = db_->lastCode() == 13;
                break;
            }
            ++b.refused;
        } else {
            any = true;
            if (older > 0)
                ++b.written;
        }
        unwritten_.removeFirst();
    }
    // Room is made before the bound is applied: the newest goes only when
    // the others still wait.
    if (unwritten_.size() > waitingMax) {
        unwritten_.removeLast();
        ++b.dropped;
    }
    b.waiting = int(unwritten_.size());
    return any;
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
