#pragma once

#include <QDateTime>
#include <QObject>
#include <QThread>

#include <functional>

#include "history/recorder.h"

namespace history {

class Database;

// The program's recorder: takes are stamped on the caller's thread and
// written by a worker thread, one commit each, so a tick or a click never
// waits for the disk and a kill loses at most the take still queued.
class SqliteRecorder final : public QObject, public Recorder {
    Q_OBJECT
public:
    explicit SqliteRecorder(const QString &path, QObject *parent = nullptr);
    ~SqliteRecorder() override; // writes what is queued, then stops the worker

    // Opens and checks the file on the calling thread, before any play: a
    // file that cannot be written is found here. A damaged file is set aside
    // only when the player says yes; whatever goes wrong, the player is told
    // once and play goes on without a history. True when recording.
    bool start();

    void record(const Take &take) override;
    qint64 newSession(Mode mode) override;

    // Waits until every queued take is written (tests, benchmarks).
    void flush();

    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // How a write failing after start() is told: play may be going on, so
    // not through a message that the play keys would close unread. Unset:
    // as at start.
    std::function<void(const QString &)> tellDuringPlay;

private:
    void tellOnce();

    QString path_;
    QThread thread_;
    QObject *worker_ = nullptr; // lives on thread_
    Database *db_ = nullptr;    // used on thread_ only
    bool recording_ = false;
    bool told_ = false;
    qint64 lastSession_ = 0;
};

// Japanese texts the player reads.
QString unavailableMessage(const QString &path);
QString damagedQuestion(const QString &fileName);

} // namespace history
