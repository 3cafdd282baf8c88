#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QThread>

#include <functional>

#include "history/recorder.h"

namespace history {

class Database;
enum class OpenResult;

// The program's recorder: takes are stamped on the caller's thread and
// written by a worker thread, one commit each, so a tick or a click never
// waits for the disk and a kill loses at most the take still queued.
class SqliteRecorder final : public QObject, public Recorder {
    Q_OBJECT
public:
    explicit SqliteRecorder(const QString &path, QObject *parent = nullptr);
    ~SqliteRecorder() override; // writes what is queued, then stops the worker

    // Returns at once: the worker opens and checks the file as its first
    // job and keeps that connection. Its outcome comes back to this thread,
    // where a damaged file is asked about (set aside only on yes) and a file
    // that cannot be written is told, once, then started() is emitted. Takes
    // recorded before that wait, then are written or dropped by the outcome.
    void start();
    // Runs the event loop until started() (tests, benchmarks); true when recording.
    bool waitUntilStarted();

    void record(const Take &take) override;
    qint64 newSession(Mode mode) override;

    // Waits until every take handed to the worker is written (tests,
    // benchmarks); those still waiting for the check stay where they are.
    void flush();

    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // How a write failing after start() is told: play may be going on, so
    // not through a message that the play keys would close unread. Unset:
    // as at start. amendDuringPlay changes the text of that notice while it
    // is still on screen (unset, or closed by the player: nothing).
    std::function<void(const QString &)> tellDuringPlay;
    std::function<void(const QString &)> amendDuringPlay;

    // Takes that could not be written (a full disk, say) wait in memory, in
    // order, and go first at the next take or when the recorder closes; past
    // this many the newest are dropped.
    static constexpr int kWaitingMax = 20000; // a few MB
    int waitingMax = kWaitingMax;             // set before start() (tests)

signals:
    void started(bool recording);
    // A take is in the file.
    void takeWritten();

private:
    enum class State { Idle, Checking, Recording, Off };
    struct Pending {
        Take take;
        QDateTime at;
    };

    void openOnWorker(bool check);
    void checked(OpenResult result, bool fresh); // fresh: the file made after setting a damaged one aside
    void finishStart(bool recording);
    void post(const Take &take, const QDateTime &at);
    void tellOnce();
    void tell(const QString &message);
    // Worker thread: writes the waiting takes, then `next`, keeping order.
    // True when any take went into the file.
    bool writeInOrder(const Pending *next);
    // Window thread: what the worker's last write left.
    struct Backlog {
        int waiting = 0;    // kept to be written
        int written = 0;    // written late since the notice
        int dropped = 0;    // past kWaitingMax
        int refused = 0;    // the file refused the take itself: never written
        bool full = false;  // the disk said it was full
    };
    void reported(const Backlog &backlog);

    QString path_;
    QThread thread_;
    QObject *worker_ = nullptr; // lives on thread_
    Database *db_ = nullptr;    // used on thread_ only; closed unless the file is fit to write
    State state_ = State::Idle;
    QList<Pending> pending_; // recorded during the check
    bool told_ = false;
    QList<Pending> unwritten_; // worker thread only: failed, to be written again
    Backlog workerBacklog_;   // worker thread only
    Backlog backlog_;          // window thread: as last reported
    bool noticeUp_ = false;    // a notice of waiting takes was given and not yet answered by "written"
    int writtenBeforeNotice_ = 0;
    qint64 lastSession_ = 0;
};

// Japanese texts the player reads.
QString unavailableMessage(const QString &path);
QString damagedQuestion(const QString &fileName);
// Takes wait to be written: how many, and that they will be; `dropped`
// more than could be kept are lost.
QString waitingMessage(const QString &path, int waiting, int dropped, bool diskFull);
QString writtenLateMessage(int written);
// The file refused takes as they are (a table made by hand): those are not kept.
QString refusedMessage(const QString &path);
// The program closes with takes still unwritten.
QString lostAtLeavingMessage(const QString &path, int lost);

} // namespace history
