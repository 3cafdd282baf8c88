#include <QtTest>

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QXYSeries>

#include <QBuffer>
#include <QHeaderView>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>
#include <QStandardItemModel>
#include <QTimeZone>

#include <span>

#include <sys/stat.h>

#include "../support/fakeservices.h"
#include "../support/smalldisk.h"

#include "deck/poemtable.h"
#include "history/csvexport.h"
#include "history/database.h"
#include "history/notice.h"
#include "history/stats.h"
#include "history/statsloader.h"
#include "history/tf_stats.h"
#include "platform/gui/fonts.h"
#include "platform/random.h"
#include "platform/savefile.h"

using namespace history;

Q_DECLARE_METATYPE(history::Trouble)

namespace {

struct Row {
    const char *day;
    const char *mode;
    int poem;
    const char *outcome;
    int chosen;
    std::optional<qint64> msad;
};

// Poem 1: four right (100, 300, 200, 1000 ms after deciding) and one taken
// for poem 2; poem 2 in training, one right and one time-out; poem 3 taken
// twice for poem 2 on the M board. In a match, poem 4 taken once by the
// player and once by the opponent, and poem 5 read as a dead card.
const Row kRows[] = {
    {"2026-12-01", "game-S", 1, "right", 0, 100},   {"2026-12-01", "game-S", 1, "right", 0, 300},
    {"2026-12-02", "game-S", 1, "wrong", 2, -50},   {"2026-12-03", "game-S", 1, "right", 0, 200},
    {"2026-12-03", "game-S", 1, "right", 0, 1000},  {"2026-12-02", "training", 2, "right", 0, 500},
    {"2026-12-02", "training", 2, "timeout", 0, {}}, {"2026-12-03", "game-M", 3, "wrong", 2, 700},
    {"2026-12-03", "game-M", 3, "wrong", 2, 900},   {"2026-12-03", "match", 4, "right", 0, 400},
    {"2026-12-03", "match", 4, "opponent", 0, 300}, {"2026-12-03", "match", 5, "dead", 0, {}},
};

void fill(const QString &path, std::span<const Row> rows = kRows)
{
    Database db(path);
    QCOMPARE(db.open(), OpenResult::Ok);
    int i = 0;
    for (const Row &r : rows) {
        Take t;
        t.mode = *modeFromWord(QString::fromLatin1(r.mode));
        t.session = 1;
        t.poem = r.poem;
        t.outcome = *outcomeFromWord(QString::fromLatin1(r.outcome));
        t.chosen = r.chosen;
        t.ms = 1000;
        t.msAfterDeciding = r.msad;
        const QDateTime at(QDate::fromString(QString::fromLatin1(r.day), Qt::ISODate), QTime(20, 0, ++i),
                           QTimeZone(9 * 3600));
        QVERIFY(db.insert(t, at));
    }
}

// "poem:times/right/median" for the poems met, then the days and the pairs.
QString summary(const Statistics &s)
{
    QStringList parts;
    for (const PoemStats &p : s.poems)
        if (p.times)
            parts << QStringLiteral("%1:%2/%3/%4").arg(p.poem).arg(p.times).arg(p.right).arg(p.medianMs ? QString::number(*p.medianMs) : "-");
    for (const DayStats &d : s.days)
        parts << QStringLiteral("%1:%2/%3/%4").arg(d.day.toString("MMdd")).arg(d.times).arg(d.right).arg(d.medianMs ? QString::number(*d.medianMs) : "-");
    for (const Confusion &c : s.confusions)
        parts << QStringLiteral("%1>%2x%3").arg(c.poem).arg(c.chosen).arg(c.count);
    return parts.join(' ');
}

} // namespace

class tst_Stats : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void figuresForAPeriodAndMode_data();
    void figuresForAPeriodAndMode();
    void mediansOfFarTimesAndDaysMetAgain();
    void csvHoldsTheWholeTable();
    void onlyTheNewestLoadIsDelivered();
    void windowEmptyState();
    void windowSaysWhenTheHistoryCannotBeRead_data();
    void windowSaysWhenTheHistoryCannotBeRead();
    void windowOffersTheUnwritableHistoryReadOnly();
    void asideMessageIgnoresThePlayKeys();
    void asideNoticeClosedStaysClosed();
    void windowTableSortsAndFilters();
    void numbersFitTheirColumns_data();
    void numbersFitTheirColumns();
    void windowChartsAreDrawnByTheChartsModule();
    void windowShowsTheReviewSchedule();
    void exportWritesWhatWasAsked_data();
    void exportWritesWhatWasAsked();
    void exportOnAFullDiskKeepsTheFile();
    void stoppedExportLeavesTheOldFile();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    fakes::FakeClock clock_;
    fakes::FakeMessages messages_;
    platform::Services services_; // handed over, never installed
};

void tst_Stats::initTestCase()
{
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
}

void tst_Stats::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    setDatabasePath(dir_->filePath("history.sqlite"));
    clock_.date = QDate(2026, 12, 3);
    platform::Services s;
    s.clock = &clock_;
    messages_ = {};
    s.messages = &messages_;
    services_ = fakes::withStandIns(s);
}

void tst_Stats::cleanup()
{
    setDatabasePath(QStringLiteral("history.sqlite"));
    setUnwritableHistoryPath({});
}

void tst_Stats::figuresForAPeriodAndMode_data()
{
    QTest::addColumn<Filter>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("everything") << Filter{}
        << "1:5/4/250 2:2/1/500 3:2/0/- 4:2/1/400 1201:2/2/200 1202:3/1/500 1203:6/3/400 3>2x2 1>2x1";
    QTest::newRow("every board") << Filter{{}, {}, {std::begin(kGameModes), std::end(kGameModes)}}
        << "1:5/4/250 3:2/0/- 1201:2/2/200 1202:1/0/- 1203:4/2/600 3>2x2 1>2x1";
    QTest::newRow("one mode") << Filter{{}, {}, {Mode::Training}} << "2:2/1/500 1202:2/1/500";
    // The opponent's take is the player's miss and its time is not theirs;
    // a dead card is no reading of the player's at all.
    QTest::newRow("matches") << Filter{{}, {}, {Mode::Match}} << "4:2/1/400 1203:2/1/400";
    QTest::newRow("one day") << Filter{QDate(2026, 12, 2), QDate(2026, 12, 2), {}}
        << "1:1/0/- 2:2/1/500 1202:3/1/500 1>2x1";
    QTest::newRow("nothing") << Filter{QDate(2027, 1, 1), {}, {}} << "";
}

void tst_Stats::figuresForAPeriodAndMode()
{
    QFETCH(Filter, filter);
    QFETCH(QString, expected);
    fill(databasePath());
    Database db(databasePath());
    QVERIFY(db.openForReading());
    const Statistics s = loadStatistics(db.db(), filter);
    QCOMPARE(summary(s), expected);
    if (filter.modes.isEmpty() && !filter.from) {
        QCOMPARE(s.total, 11);
        QCOMPARE(s.poems[0].lastSeen, QStringLiteral("2026-12-03T20:00:05+09:00"));
        QCOMPARE(s.slowest().first().poem, 2);
        QCOMPARE(s.mostMissed().first().poem, 3);
    }
}

// Poems whose times lie partly far outside the usual seconds, on days played
// in no order (a clock set back): each median as the sorted times give it.
void tst_Stats::mediansOfFarTimesAndDaysMetAgain()
{
    platform::Random rng{7};
    QList<Row> rows;
    std::map<int, std::vector<qint64>> byPoem;
    std::map<QString, std::vector<qint64>> byDay;
    static const char *const kDays[] = {"2026-12-01", "2026-12-02", "2026-12-03", "2026-12-04"};
    for (int i = 0; i < 3000; ++i) {
        const int poem = rng.below(3) + 1;
        const char *day = kDays[rng.below(4)];
        const int r = rng.below(10);
        const qint64 ms = r == 0 ? -20000 - rng.below(5000) : r == 1 ? 30000 + rng.below(5000) : rng.below(3000) - 200;
        rows.append({day, "game-S", poem, "right", 0, ms});
        byPoem[poem].push_back(ms);
        byDay[QString::fromLatin1(day)].push_back(ms);
    }
    fill(databasePath(), rows);
    auto middle = [](std::vector<qint64> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) >> 1;
    };
    Database db(databasePath());
    QVERIFY(db.openForReading());
    const Statistics s = loadStatistics(db.db(), {});
    for (const auto &[poem, times] : byPoem)
        QCOMPARE(s.poems[std::size_t(poem - 1)].medianMs, middle(times));
    QCOMPARE(s.days.size(), 4);
    for (const DayStats &d : s.days)
        QCOMPARE(d.medianMs, middle(byDay[d.day.toString(Qt::ISODate)]));
}

void tst_Stats::csvHoldsTheWholeTable()
{
    Database db(dir_->filePath("history.sqlite"));
    QCOMPARE(db.open(), OpenResult::Ok);
    Take t;
    t.mode = Mode::Match;
    t.session = 3;
    t.poem = 100;
    t.outcome = Outcome::Timeout;
    t.ms = 15000;
    t.extra = {{"who", "花子, \"二番\""}};
    QVERIFY(db.insert(t, QDateTime(QDate(2026, 12, 7), QTime(9, 0), QTimeZone(9 * 3600))));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QVERIFY(exportCsv(db.db(), out));
    const QStringList lines = QString::fromUtf8(out.data()).split("\r\n");
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], "id,played_at,mode,session,poem,outcome,chosen,ticks,ms,ms_after_deciding,deciding,extra");
    // NULLs are empty fields; the time keeps its offset.
    QCOMPARE(lines[1], "1,2026-12-07T09:00:00+09:00,match,3,100,timeout,,,15000,,spelled,"
                       "\"{\"\"who\"\":\"\"花子, \\\"\"二番\\\"\"\"\"}\"");
    QCOMPARE(lines[2], QString());
}

void tst_Stats::onlyTheNewestLoadIsDelivered()
{
    fill(databasePath());
    QList<int> totals;
    {
        StatisticsLoader loader;
        connect(&loader, &StatisticsLoader::loaded, this, [&](const Loaded &l) { totals << l.stats.total; });
        loader.load(databasePath(), Filter{});
        loader.load(databasePath(), Filter{{}, {}, {Mode::Training}});
        loader.wait();
        QCoreApplication::processEvents();
        QCOMPARE(totals, QList<int>{2});
        // Still reading when the window goes: nothing is delivered after.
        loader.load(databasePath(), Filter{});
    }
    QCoreApplication::processEvents();
    QCOMPARE(totals, QList<int>{2});
}

void tst_Stats::windowEmptyState()
{
    TF_Stats w(services_, deck::PoemTable);
    w.show();
    // Up before the file is read, saying so.
    QCOMPARE(w.LblEmpty->text(), loadingText());
    QVERIFY(!w.BtnExport->isEnabled());
    w.waitUntilLoaded();
    QVERIFY(w.LblEmpty->isVisible());
    QCOMPARE(w.LblEmpty->text(), emptyHistoryText());
    QVERIFY(!w.BtnExport->isEnabled());
    QCOMPARE(w.LblSummary->text(), QStringLiteral("0 件"));
}

void tst_Stats::windowSaysWhenTheHistoryCannotBeRead_data()
{
    QTest::addColumn<bool>("fifo"); // else a file that is no database
    QTest::addColumn<Trouble>("trouble");
    QTest::newRow("damaged") << false << Trouble::Damaged;
    QTest::newRow("a named pipe") << true << Trouble::NotAFile;
}

void tst_Stats::windowSaysWhenTheHistoryCannotBeRead()
{
    QFETCH(bool, fifo);
    QFETCH(Trouble, trouble);
    if (fifo) {
        QCOMPARE(::mkfifo(QFile::encodeName(databasePath()).constData(), 0644), 0);
    } else {
        QFile f(databasePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("not a database ").repeated(100));
    }
    TF_Stats w(services_, deck::PoemTable);
    w.show();
    w.waitUntilLoaded();
    QVERIFY(w.LblEmpty->isVisible());
    QCOMPARE(w.LblEmpty->text(), unreadableText(databasePath(), trouble));
    QVERIFY(!w.BtnExport->isEnabled());
    // Looking leaves nothing behind.
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"history.sqlite"});
}

// The working folder's history could not be written, so the program keeps
// a new one: the old one is shown first, as it stands, and the new one on
// request; without such a history there is no choice to make.
void tst_Stats::windowOffersTheUnwritableHistoryReadOnly()
{
    SmallDisk work;
    SKIP_WITHOUT_SMALL_DISK(work);
    const QString old = work.filePath("history.sqlite");
    fill(old);
    QVERIFY(work.setReadOnly(true));
    fill(databasePath(), std::span(kRows).first(2));
    TF_Stats w(services_, deck::PoemTable);
    w.show();
    w.waitUntilLoaded();
    QVERIFY(!w.CbHistory->isVisible());
    QCOMPARE(w.LblSummary->text(), QStringLiteral("2 件"));
    w.hide();

    setUnwritableHistoryPath(old);
    w.show();
    w.waitUntilLoaded();
    QVERIFY(w.CbHistory->isVisible());
    QCOMPARE(w.shownPath(), old);
    QCOMPARE(w.LblSummary->text(), readOnlySummary(11));
    QVERIFY(w.CbHistory->toolTip().contains(QDir::toNativeSeparators(old)));
    w.CbHistory->setCurrentIndex(1);
    w.waitUntilLoaded();
    QCOMPARE(w.shownPath(), databasePath());
    QCOMPARE(w.LblSummary->text(), QStringLiteral("2 件"));
}

void tst_Stats::asideMessageIgnoresThePlayKeys()
{
    QWidget play;
    play.show();
    QPointer<QMessageBox> box = showAside(QStringLiteral("学習記録ファイルに書き込めません。"));
    for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_1}) {
        QTest::keyClick(box, Qt::Key(key));
        QVERIFY2(box && box->isVisible(), qPrintable(QKeySequence(key).toString()));
    }
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!box);
}

void tst_Stats::asideNoticeClosedStaysClosed()
{
    auto boxes = [] {
        QList<QMessageBox *> up;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                up << box;
        return up;
    };
    AsideNotice notice;
    notice.tell(QStringLiteral("3 件"));
    notice.amend(QStringLiteral("4 件"));
    notice.tell(QStringLiteral("5 件")); // the same window, not a second one
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes().first()->text(), QStringLiteral("5 件"));
    QTest::mouseClick(boxes().first()->button(QMessageBox::Ok), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    notice.amend(QStringLiteral("書きました"));
    QVERIFY(!notice.up());
    QVERIFY(boxes().isEmpty());
    notice.tell(QStringLiteral("また"));
    QCOMPARE(boxes().size(), 1);
    delete boxes().first();
}

void tst_Stats::windowTableSortsAndFilters()
{
    fill(databasePath());
    TF_Stats w(services_, deck::PoemTable);
    w.show();
    w.waitUntilLoaded();
    QVERIFY(!w.LblEmpty->isVisible());
    QVERIFY(w.BtnExport->isEnabled());
    QCOMPARE(w.model()->rowCount(), 100);
    QCOMPARE(w.LblSummary->text(), QStringLiteral("11 件"));

    // 回数 descending, then 決まり字後 descending: by number, not by text.
    w.Table->sortByColumn(2, Qt::DescendingOrder);
    QCOMPARE(w.model()->item(0, 0)->text(), QStringLiteral("1"));
    QStringList times;
    for (int row = 0; row < 4; ++row)
        times << w.model()->item(row, 2)->text();
    QCOMPARE(times, QStringList({"5", "2", "2", "2"}));
    w.Table->sortByColumn(4, Qt::DescendingOrder);
    QCOMPARE(w.model()->item(0, 4)->text(), QStringLiteral("500"));
    QCOMPARE(w.model()->item(1, 4)->text(), QStringLiteral("400"));
    QCOMPARE(w.model()->item(2, 4)->text(), QStringLiteral("250"));

    // Two choices in a row: the second one's figures are shown.
    w.CbMode->setCurrentIndex(w.CbMode->findText(QStringLiteral("ゲーム(全)")));
    w.CbMode->setCurrentIndex(w.CbMode->findText(QStringLiteral("練習試合")));
    w.waitUntilLoaded();
    QCOMPARE(w.LblSummary->text(), QStringLiteral("2 件"));
    w.CbMode->setCurrentIndex(w.CbMode->findText(QStringLiteral("トレーニング")));
    w.waitUntilLoaded();
    QCOMPARE(w.LblSummary->text(), QStringLiteral("2 件"));
    w.CbPeriod->setCurrentIndex(w.CbPeriod->findText(QStringLiteral("今日")));
    w.waitUntilLoaded();
    QVERIFY(w.LblEmpty->isVisible());
    QCOMPARE(w.LblEmpty->text(), emptySelectionText());
    // Sorting survives a reload.
    QCOMPARE(w.Table->horizontalHeader()->sortIndicatorSection(), 4);
}

void tst_Stats::numbersFitTheirColumns_data()
{
    QTest::addColumn<int>("times");
    QTest::addColumn<qint64>("medianMs");
    QTest::newRow("a few takes") << 3 << qint64(480);
    QTest::newRow("a million takes") << 10123 << qint64(1234);
    QTest::newRow("seven-digit counts, slow") << 1234567 << qint64(-98765);
}

void tst_Stats::numbersFitTheirColumns()
{
    QFETCH(int, times);
    QFETCH(qint64, medianMs);
    TF_Stats w(services_, deck::PoemTable);
    w.show();
    w.waitUntilLoaded();
    Loaded big;
    big.anyHistory = true;
    for (PoemStats &p : big.stats.poems) {
        p.times = times - p.poem;
        p.right = p.times / 3;
        p.medianMs = medianMs;
        p.lastSeen = "2026-12-07T14:03:05+09:00";
        big.stats.total += p.times;
    }
    w.showStatistics(big);
    // The view elides a text wider than its column less the margins.
    const QFontMetrics metrics(w.Table->font());
    const int margins = 2 * (w.Table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w.Table) + 1);
    int widths = 0;
    for (int column = 0; column < w.model()->columnCount(); ++column) {
        widths += w.Table->columnWidth(column);
        if (column == 1)
            continue; // the verse column shows the head of the verse
        for (int row = 0; row < w.model()->rowCount(); ++row) {
            const QString text = w.model()->item(row, column)->text();
            QVERIFY2(metrics.horizontalAdvance(text) + margins <= w.Table->columnWidth(column), qPrintable(text));
        }
    }
    QVERIFY(widths <= w.Table->viewport()->width());
}

void tst_Stats::windowChartsAreDrawnByTheChartsModule()
{
    fill(databasePath());
    // A week from first to last day: the day axis spreads its ticks.
    const Row weekLater[] = {{"2026-12-07", "training", 6, "right", 0, 100}};
    fill(databasePath(), weekLater);
    TF_Stats w(services_, deck::PoemTable);
    w.show();
    w.waitUntilLoaded();
    QList<QChart *> charts;
    for (int page = 0; page < 4; ++page) {
        const auto *view = w.Charts->widget(page)->findChild<QChartView *>();
        QVERIFY2(view, qPrintable(w.Charts->tabText(page)));
        charts << view->chart();
    }
    QCOMPARE(charts[0]->series().size(), 2); // accuracy and median, by day
    // Every day's point lies on the day axis, the last day's too.
    const auto *days = qobject_cast<QDateTimeAxis *>(charts[0]->axes(Qt::Horizontal).value(0));
    QVERIFY(days);
    for (const QAbstractSeries *series : charts[0]->series()) {
        const auto *line = qobject_cast<const QXYSeries *>(series);
        QVERIFY(line && line->count() > 0);
        for (const QPointF &point : line->points()) {
            QVERIFY(point.x() >= days->min().toMSecsSinceEpoch());
            QVERIFY(point.x() <= days->max().toMSecsSinceEpoch());
        }
    }
    // The slowest poem's bar is at the top, with the table's slowest median.
    const auto *slowest = qobject_cast<QAbstractBarSeries *>(charts[1]->series().value(0));
    QVERIFY(slowest);
    const QBarSet *bars = slowest->barSets().value(0);
    QVERIFY(bars && bars->count() > 0);
    QCOMPARE(bars->at(bars->count() - 1), 500.0);
}

void tst_Stats::windowShowsTheReviewSchedule()
{
    // Too few timed right takes to know the pace: every right take is Good.
    // Poem 1: Good 12-01, Again 12-02, Good 12-03 (S 3.039), due 12-06.
    // Poem 2: Good 12-02 (the time-out that day does not count), due 12-05;
    // poem 3: Again 12-03, due 12-04; poem 4: Good 12-03, due 12-06; poem 5
    // was only a dead card. On 12-05 poem 2's recall is
    // (1 + 19/81 * 3/3.173)^-0.5 = 90 %, poem 3's (1 + 19/81 * 2/0.40255)^-0.5 = 68 %.
    // Poems 1 and 4, two days after a Good: 93 %.
    fill(databasePath());
    clock_.date = QDate(2026, 12, 5);
    TF_Stats w(services_, deck::PoemTable);
    w.show();
    w.waitUntilLoaded();
    QCOMPARE(w.LblDue->text(), QStringLiteral("今日の復習 2首"));
    w.Table->sortByColumn(6, Qt::AscendingOrder);
    QStringList rows;
    for (int row = 0; row < 5; ++row)
        rows << w.model()->item(row, 0)->text() + ' ' + w.model()->item(row, 6)->text() + ' '
                    + w.model()->item(row, 7)->text();
    QCOMPARE(rows, QStringList({"3 12/04 68%", "2 12/05 90%", "1 12/06 93%", "4 12/06 93%", "5  "}));

    const auto *view = w.Charts->widget(4)->findChild<QChartView *>();
    QVERIFY(view);
    QCOMPARE(w.Charts->tabText(4), QStringLiteral("復習予定"));
    const auto *series = qobject_cast<QAbstractBarSeries *>(view->chart()->series().value(0));
    QVERIFY(series);
    const QBarSet *bars = series->barSets().value(0);
    QCOMPARE(bars->count(), 14);
    // Drawn from the bottom up: today (the overdue poem 3 and poem 2) at the top.
    QCOMPARE(bars->at(13), 2.0);
    QCOMPARE(bars->at(12), 2.0);
    QCOMPARE(bars->at(0), 0.0);
}

void tst_Stats::exportWritesWhatWasAsked_data()
{
    QTest::addColumn<QString>("typed");   // in the dialog's name box
    QTest::addColumn<QString>("answer");  // the dialog's answer, in the folder
    QTest::addColumn<QString>("written"); // the file that comes to be, if any
    QTest::addColumn<QString>("told");    // part of the message, if any
    QTest::newRow("a plain name") << "学習 記録.csv" << "学習 記録.csv" << "学習 記録.csv" << "";
    QTest::newRow("a native dialog's answer") << "" << "native.csv" << "native.csv" << "";
    // Qt's dialog hands back only what follows the quote.
    QTest::newRow("a quote in the name") << "history\".csv" << ".csv" << "" << "「\"」は使えません";
    QTest::newRow("a missing folder") << "none/out.csv" << "none/out.csv" << "" << "がありません";
    QTest::newRow("a folder's name") << "" << "sub" << "" << "同じ名前のフォルダ";
}

void tst_Stats::exportWritesWhatWasAsked()
{
    QFETCH(QString, typed);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(QString, told);
    fill(databasePath());
    QDir folder(dir_->path());
    QVERIFY(folder.mkdir("sub"));
    const auto files = [&] {
        return folder.entryList({"*.csv", ".csv"}, QDir::Files | QDir::Hidden, QDir::Name);
    };
    TF_Stats w(services_, deck::PoemTable);
    w.askExportFile = [&] { return TF_Stats::ExportAnswer{folder.filePath(answer), typed}; };
    w.BtnExportClick();
    // Written on a thread of its own; the window stays free meanwhile.
    QTRY_VERIFY(!w.exporting());
    QCOMPARE(files(), written.isEmpty() ? QStringList() : QStringList{written});
    if (told.isEmpty()) {
        QCOMPARE(messages_.informed, QStringList());
        QFile csv(folder.filePath(written));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count("\r\n"), qsizetype(std::size(kRows)) + 1);
    } else {
        QCOMPARE(messages_.informed.size(), 1);
        QVERIFY2(messages_.informed[0].contains(told), qPrintable(messages_.informed[0]));
    }
}

void tst_Stats::exportOnAFullDiskKeepsTheFile()
{
    fill(databasePath());
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    const QString path = disk.filePath(QStringLiteral("学習記録.csv"));
    const QByteArray old = "poem,outcome\r\n1,right\r\n";
    {
        QFile csv(path);
        QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write(old) == old.size());
    }
    QVERIFY(disk.fill());
    TF_Stats w(services_, deck::PoemTable);
    w.askExportFile = [&] { return TF_Stats::ExportAnswer{path, QString()}; };
    w.BtnExportClick();
    QTRY_COMPARE(messages_.informed.size(), 1);
    QVERIFY2(messages_.informed[0].contains(path) && messages_.informed[0].contains("ディスクに空きがありません"),
             qPrintable(messages_.informed[0]));
    QFile csv(path);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll(), old);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{".filler", "学習記録.csv"}));
}

void tst_Stats::stoppedExportLeavesTheOldFile()
{
    // Enough rows for several reports of progress, the last one short of the end.
    QList<Row> rows;
    for (int i = 0; i < 4000; ++i)
        rows.append({"2026-12-01", "game-S", i % 100 + 1, "right", 0, i});
    fill(databasePath(), rows);
    const QString csv = dir_->filePath("history.csv");
    const QByteArray old = "an earlier export\r\n";
    QCOMPARE(platform::saveWhole(csv, old), 0);
    QList<qint64> reports;
    const ExportOutcome stopped = exportCsvFile(databasePath(), csv, [&](qint64 written, qint64 total) {
        reports << written;
        return !(written > 0 && written < total);
    });
    QCOMPARE(stopped.status, ExportOutcome::Status::Cancelled);
    QCOMPARE(reports.size(), 2);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    file.close();
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir_->path()).entryList({"*csv*"}, QDir::Files | QDir::Hidden), QStringList{"history.csv"});

    // Let through, the same export replaces it, every row in it.
    QList<qint64> totals;
    const ExportOutcome done = exportCsvFile(databasePath(), csv, [&](qint64, qint64 total) {
        totals << total;
        return true;
    });
    QCOMPARE(done.status, ExportOutcome::Status::Written);
    QCOMPARE(totals.last(), 4000);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("\r\n"), 4001);
}

QTEST_MAIN(tst_Stats)
#include "tst_stats.moc"
