// Writes takes through the program's recorder into the file given, like a
// running game would: `history_writer <file> <count> <poem>`; count 0 keeps
// writing until killed. Prints "written N" after every tenth take.
// `history_writer <file> read` reads it as the statistics window does and
// prints "rows N readonly 0|1", or "trouble T" (history::Trouble's value).
#include <QCoreApplication>
#include <QSqlQuery>

#include <cstdio>

#include "history/database.h"
#include "history/writer.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[2]) == "read") {
        history::Database db(QString::fromLocal8Bit(argv[1]));
        if (!db.openForReading()) {
            std::printf("trouble %d\n", int(db.trouble()));
            return 0;
        }
        QSqlQuery q(db.db());
        const int rows = q.exec(QStringLiteral("SELECT count(*) FROM readings")) && q.next() ? q.value(0).toInt() : -1;
        std::printf("rows %d readonly %d\n", rows, int(db.readOnly()));
        return 0;
    }
    if (argc != 4)
        return 2;
    const int count = QByteArray(argv[2]).toInt();
    const int poem = QByteArray(argv[3]).toInt();
    history::SqliteRecorder recorder(QString::fromLocal8Bit(argv[1]));
    recorder.start();
    if (!recorder.waitUntilStarted())
        return 1;
    const qint64 session = recorder.newSession(history::Mode::GameS);
    for (int i = 1; count == 0 || i <= count; ++i) {
        history::Take t;
        t.mode = history::Mode::GameS;
        t.session = session;
        t.poem = poem;
        t.outcome = i % 3 ? history::Outcome::Right : history::Outcome::Wrong;
        t.chosen = i % 3 ? 0 : poem % 100 + 1;
        t.ticks = i % 73;
        t.ms = 150 * (i % 73);
        t.msAfterDeciding = 150 * (i % 73) - 900;
        recorder.record(t);
        recorder.flush();
        if (i % 10 == 0) {
            std::printf("written %d\n", i);
            std::fflush(stdout);
        }
    }
    return 0;
}
