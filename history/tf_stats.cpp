#include "tf_stats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "deck/poemtable.h"
#include "history/database.h"
#include "history/weak.h"
#include "platform/savefile.h"
#include "platform/services.h"
#include "platform/gui/fonts.h"
#include "platform/ui/modules.h"

using namespace platform;

TF_Stats *F_Stats = nullptr;

namespace history {
QString emptyHistoryText()
{
    return QStringLiteral("まだ学習記録がありません。\n\n"
                          "トレーニングやゲームで札を取ると、一首ごとの回数・正解率・\n"
                          "決まり字からの反応時間がここに記録されます。");
}

QString unreadableText(const QString &path, Trouble trouble)
{
    return QStringLiteral("学習記録ファイル(%1)を読めません。\n%2")
        .arg(QDir::toNativeSeparators(path), troubleText(trouble));
}

QString readOnlySummary(int total)
{
    return QStringLiteral("%1 件(読み取り専用)").arg(total);
}

QString otherHistoryTip(const QString &unwritable, const QString &inUse)
{
    return QStringLiteral("作業フォルダ: %1\n"
                          "  書き込めないため、読むだけで表示します(新しい記録は増えません)。\n"
                          "使用中: %2\n"
                          "  今の記録はこちらに残ります。")
        .arg(QDir::toNativeSeparators(unwritable), QDir::toNativeSeparators(inUse));
}

QString emptySelectionText()
{
    return QStringLiteral("この期間・モードの学習記録はありません。\n期間かモードを変えてください。");
}

QString loadingText()
{
    return QStringLiteral("学習記録を読み込んでいます…");
}

QString exportRefusal(const QString &typed)
{
    // Qt's own dialog reads quotes as marks around several names and hands
    // back only a piece of what was typed.
    if (typed.contains(QLatin1Char('"')))
        return QStringLiteral("ファイル名に「\"」は使えません。\n別の名前で書き出してください。");
    return {};
}

QString exportFailure(const QString &path, int error)
{
    const QString why = error ? platform::saveFailureReason(error) : QStringLiteral("ディスクがいっぱいか、書き込みに失敗しました");
    return QStringLiteral("CSVファイル(%1)に書き出せませんでした。\n%2。").arg(QDir::toNativeSeparators(path), why);
}
} // namespace history

namespace {

enum Column { ColNo, ColVerse, ColTimes, ColRight, ColMedian, ColLast, ColDue, ColRecall, ColCount };
// Widths with room for a few digits; figures that need more widen their
// column and the verse column gives up the room, down to kVerseNarrowest.
constexpr int kColumnWidth[ColCount] = {40, 88, 40, 52, 68, 96, 64, 52};
// The review's two columns widen the table and the window by as much.
constexpr int kReviewWidth = 116;
// Room for the charts' six tabs side by side, without scroll arrows.
constexpr int kChartsExtra = 100;
constexpr int kDueDays = 14; // the due chart's span
constexpr int kVerseNarrowest = 56;

struct ModeChoice {
    const char *label;
    QList<history::Mode> modes; // empty: all
};
const ModeChoice kModes[] = {
    {"すべて", {}},
    {"ゲーム(全)", {std::begin(history::kGameModes), std::end(history::kGameModes)}},
    {"ゲーム(S)", {history::Mode::GameS}},
    {"ゲーム(M)", {history::Mode::GameM}},
    {"ゲーム(L)", {history::Mode::GameL}},
    {"トレーニング", {history::Mode::Training}},
    {"練習試合", {history::Mode::Match}},
    {"札流し", {history::Mode::Nagashi}},
    {"札の位置", {history::Mode::Position}},
};
// Days back from today, 0 for the whole history.
const std::pair<const char *, int> kPeriods[] = {
    {"全期間", 0}, {"今日", 1}, {"直近7日", 7}, {"直近30日", 30}, {"直近365日", 365},
};

QStandardItem *numberItem(const QVariant &sortValue, const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setData(sortValue, Qt::UserRole);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setEditable(false);
    return item;
}

// A chart's page: the charts module fills it, or it says why it cannot.
QWidget *chartPage(QTabWidget *tabs, const QString &title)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs->addTab(page, title);
    return page;
}

// "2026-12-07T14:03:05+09:00" -> "12/07 14:03"; the year is in the tip.
QString lastSeenText(const QString &playedAt)
{
    if (playedAt.size() < 16)
        return playedAt;
    QString s = playedAt.mid(5, 11);
    s.replace(QLatin1Char('-'), QLatin1Char('/'));
    s.replace(QLatin1Char('T'), QLatin1Char(' '));
    return s;
}

// "7 あまのはら": the number and the head of the upper verse.
QString poemLabel(const deck::PoemTableData &poems, int poem)
{
    return QString::number(poem) + QLatin1Char(' ') + poems[poem].Kaminoku.text().section(QChar(0x3000), 0, 0);
}

// "今日", "明日", then "12/10(木)".
QString dueDayLabel(const QDate &today, int ahead)
{
    if (ahead == 0)
        return QStringLiteral("今日");
    if (ahead == 1)
        return QStringLiteral("明日");
    static const QString weekdays = QStringLiteral("月火水木金土日");
    const QDate day = today.addDays(ahead);
    return day.toString(QStringLiteral("MM/dd")) + QLatin1Char('(') + weekdays[day.dayOfWeek() - 1] + QLatin1Char(')');
}

} // namespace

TF_Stats::TF_Stats(platform::Services &services, const deck::PoemTableData &poems, QWidget *parent,
                   history::ScheduleCache *schedules)
    : Form(QStringLiteral("琴葉学習記録"), QSize(784 + kReviewWidth + kChartsExtra, 560), parent)
    , services_(services)
    , poems_(poems)
    , ownSchedules_(schedules ? nullptr : std::make_unique<history::ScheduleCache>())
    , schedules_(schedules ? schedules : ownSchedules_.get())
{
    setObjectName(QStringLiteral("F_Stats"));
    setFont(fonts::font(fonts::MSPGothic, 12));
    const QFont bold = fonts::font(fonts::MSPGothic, 16, true);

    auto *lblPeriod = new QLabel(QStringLiteral("期間"), this);
    lblPeriod->setGeometry(12, 14, 36, 20);
    CbPeriod = new QComboBox(this);
    CbPeriod->setObjectName(QStringLiteral("CbPeriod"));
    CbPeriod->setGeometry(48, 10, 110, 28);
    for (const auto &[label, days] : kPeriods)
        CbPeriod->addItem(QString::fromUtf8(label), days);

    auto *lblMode = new QLabel(QStringLiteral("モード"), this);
    lblMode->setGeometry(170, 14, 44, 20);
    CbMode = new QComboBox(this);
    CbMode->setObjectName(QStringLiteral("CbMode"));
    CbMode->setGeometry(214, 10, 130, 28);
    for (const ModeChoice &m : kModes)
        CbMode->addItem(QString::fromUtf8(m.label));

    LblSummary = new QLabel(this);
    LblSummary->setObjectName(QStringLiteral("LblSummary"));
    LblSummary->setGeometry(356, 14, 200, 20);
    CbHistory = new QComboBox(this);
    CbHistory->setObjectName(QStringLiteral("CbHistory"));
    CbHistory->setGeometry(560, 10, 96, 28);
    CbHistory->hide();
    LblDue = new QLabel(this);
    LblDue->setObjectName(QStringLiteral("LblDue"));
    LblDue->setGeometry(560 + kChartsExtra, 14, 110, 20);
    LblDue->setToolTip(history::reviewRule());

    BtnExport = new QPushButton(QStringLiteral("CSVに書き出す"), this);
    BtnExport->setObjectName(QStringLiteral("BtnExport"));
    BtnExport->setGeometry(560 + kReviewWidth + kChartsExtra, 8, 110, 32);
    BtnClose = new QPushButton(QStringLiteral("閉じる"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setGeometry(680 + kReviewWidth + kChartsExtra, 8, 92, 32);
    BtnClose->setFont(bold);

    model_ = new QStandardItemModel(0, ColCount, this);
    model_->setHorizontalHeaderLabels({QStringLiteral("番号"), QStringLiteral("上の句"), QStringLiteral("回数"),
                                       QStringLiteral("正解率"), QStringLiteral("決まり字後"),
                                       QStringLiteral("最後"), QStringLiteral("次の復習"), QStringLiteral("想起率")});
    model_->setSortRole(Qt::UserRole);
    Table = new QTableView(this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setGeometry(12, 48, 400 + kReviewWidth, 500);
    Table->setModel(model_);
    Table->setSortingEnabled(true);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setDefaultSectionSize(20);
    for (int c = 0; c < ColCount; ++c)
        Table->setColumnWidth(c, kColumnWidth[c]);
    Table->horizontalHeader()->setSortIndicator(ColNo, Qt::AscendingOrder);
    Table->horizontalHeader()->setToolTip(QStringLiteral("見出しをクリックすると並べ替えます。決まり字後は正解の中央値(ミリ秒)。"
                                                          "次の復習は復習の予定日、想起率は今日思い出せる見込みです。"));

    Charts = new QTabWidget(this);
    Charts->setObjectName(QStringLiteral("Charts"));
    Charts->setGeometry(420 + kReviewWidth, 48, 352 + kChartsExtra, 500);
    QWidget *const pages[] = {chartPage(Charts, QStringLiteral("日ごと")), chartPage(Charts, QStringLiteral("遅い札")),
                              chartPage(Charts, QStringLiteral("誤答の多い札")),
                              chartPage(Charts, QStringLiteral("取り違え"))};
    const auto newPages = reinterpret_cast<history::charts::NewPagesFunction>(
        ui::moduleFunction(history::charts::ModuleName, history::charts::ModuleVersion, history::charts::NewPages));
    QWidget *duePage = chartPage(Charts, QStringLiteral("復習予定"));
    const auto newDuePage = reinterpret_cast<history::charts::NewDuePageFunction>(
        ui::moduleFunction(history::charts::ModuleName, history::charts::ModuleVersion, history::charts::NewDuePage));
    if (newPages)
        charts_.reset(newPages(pages[0], pages[1], pages[2], pages[3]));
    if (newDuePage)
        dueChart_.reset(newDuePage(duePage));
    QList<QWidget *> missing;
    if (!newPages)
        missing = {pages[0], pages[1], pages[2], pages[3]};
    if (!newDuePage)
        missing << duePage;
    for (QWidget *page : missing) {
        auto *text = new QLabel(QStringLiteral("グラフの部品(kotoha_charts)が見つからないため、グラフは表示できません。"));
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignCenter);
        page->layout()->addWidget(text);
    }
    auto *rule = new QLabel(history::weakRule());
    rule->setWordWrap(true);
    rule->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    rule->setMargin(12);
    Charts->addTab(rule, QStringLiteral("苦手札"));

    LblEmpty = new QLabel(this);
    LblEmpty->setObjectName(QStringLiteral("LblEmpty"));
    LblEmpty->setGeometry(12, 48, 760 + kReviewWidth + kChartsExtra, 500);
    LblEmpty->setAlignment(Qt::AlignCenter);
    LblEmpty->setFont(bold);
    LblEmpty->setAutoFillBackground(true);
    LblEmpty->setFrameShape(QFrame::StyledPanel);
    LblEmpty->hide();

    setTabOrder(CbPeriod, CbMode);
    setTabOrder(CbMode, CbHistory);
    setTabOrder(CbHistory, Table);
    setTabOrder(Table, Charts);
    setTabOrder(Charts, BtnExport);
    setTabOrder(BtnExport, BtnClose);

    connect(CbPeriod, &QComboBox::currentIndexChanged, this, &TF_Stats::reload);
    connect(CbMode, &QComboBox::currentIndexChanged, this, &TF_Stats::reload);
    connect(CbHistory, &QComboBox::currentIndexChanged, this, &TF_Stats::reload);
    connect(BtnExport, &QPushButton::clicked, this, &TF_Stats::BtnExportClick);
    connect(BtnClose, &QPushButton::clicked, this, &TF_Stats::BtnCloseClick);
    connect(&loader_, &history::StatisticsLoader::loaded, this, &TF_Stats::statisticsRead);
    connect(schedules_, &history::ScheduleCache::ready, this, &TF_Stats::scheduleReady);
    connect(&exporter_, &history::CsvExporter::progress, this, [this](qint64 rows, qint64 total) {
        if (exportProgress_) {
            exportProgress_->setMaximum(int(std::min<qint64>(total, std::numeric_limits<int>::max())));
            exportProgress_->setValue(int(std::min<qint64>(rows, std::numeric_limits<int>::max())));
        }
    });

    askExportFile = [this] {
        QFileDialog dialog(this, QStringLiteral("学習記録をCSVに書き出す"), QString(),
                           QStringLiteral("CSV ファイル (*.csv)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectFile(QStringLiteral("history.csv"));
        if (dialog.exec() != QDialog::Accepted)
            return ExportAnswer{};
        // A native dialog has no name box of Qt's: its answer is the name.
        const auto *nameBox = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        return ExportAnswer{dialog.selectedFiles().value(0), nameBox ? nameBox->text() : QString()};
    };
}

history::Filter TF_Stats::filter() const
{
    history::Filter f;
    if (CbMode->currentIndex() >= 0)
        f.modes = kModes[CbMode->currentIndex()].modes;
    if (const int days = CbPeriod->currentData().toInt(); days > 0) {
        const QDate today = services_.clock->localDate();
        f.from = today.addDays(1 - days);
        f.to = today;
    }
    return f;
}

QString TF_Stats::shownPath() const
{
    return CbHistory->count() > 0 ? CbHistory->currentData().toString() : history::databasePath();
}

void TF_Stats::FormShow()
{
    const QString other = history::unwritableHistoryPath();
    QStringList paths;
    if (!other.isEmpty())
        paths = {other, history::databasePath()};
    QStringList offered;
    for (int i = 0; i < CbHistory->count(); ++i)
        offered << CbHistory->itemData(i).toString();
    if (offered != paths) {
        const QSignalBlocker quiet(CbHistory);
        CbHistory->clear();
        if (!other.isEmpty()) {
            CbHistory->addItem(QStringLiteral("作業フォルダ"), other);
            CbHistory->addItem(QStringLiteral("使用中"), history::databasePath());
            CbHistory->setToolTip(history::otherHistoryTip(other, history::databasePath()));
        }
    }
    CbHistory->setVisible(!other.isEmpty());
    reload();
    BtnClose->setFocus();
}

void TF_Stats::FormHide()
{
    loader_.cancel();
    read_.reset();
    scheduleWanted_ = false;
    exporter_.cancel();
}

void TF_Stats::reload()
{
    loader_.load(shownPath(), filter());
    read_.reset();
    // Changing the filter leaves the schedule as it was: it is the whole history's.
    scheduleWanted_ = !schedules_->request();
    if (!scheduleWanted_)
        schedule_ = schedules_->schedule();
    LblSummary->setText(QStringLiteral("読み込み中…"));
    LblDue->clear();
    BtnExport->setEnabled(false);
    LblEmpty->setText(history::loadingText());
    LblEmpty->show();
}

void TF_Stats::waitUntilLoaded()
{
    loader_.wait();
    schedules_->wait();
}

void TF_Stats::statisticsRead(const history::Loaded &loaded)
{
    read_ = loaded;
    if (!scheduleWanted_)
        showStatistics(*std::exchange(read_, std::nullopt));
}

void TF_Stats::scheduleReady()
{
    if (!scheduleWanted_)
        return;
    scheduleWanted_ = false;
    schedule_ = schedules_->schedule();
    if (read_)
        showStatistics(*std::exchange(read_, std::nullopt));
}

void TF_Stats::showStatistics(const history::Loaded &loaded)
{
    stats_ = loaded.stats;
    const QDate today = services_.clock->localDate();
    LblDue->setText(QStringLiteral("今日の復習 %1首").arg(schedule_.dueOn(today).size()));
    LblDue->setToolTip(history::reviewRule()); // the options may have changed since
    anyHistory_ = loaded.anyHistory;
    LblSummary->setText(loaded.readOnly ? history::readOnlySummary(stats_.total)
                                        : QStringLiteral("%1 件").arg(stats_.total));
    BtnExport->setEnabled(anyHistory_);
    fillTable();
    fillCharts();
    if (loaded.trouble != history::Trouble::None && loaded.trouble != history::Trouble::Missing)
        LblEmpty->setText(history::unreadableText(shownPath(), loaded.trouble));
    else
        LblEmpty->setText(anyHistory_ ? history::emptySelectionText() : history::emptyHistoryText());
    LblEmpty->setVisible(stats_.total == 0);
}

void TF_Stats::fillTable()
{
    const int sortColumn = Table->horizontalHeader()->sortIndicatorSection();
    const Qt::SortOrder order = Table->horizontalHeader()->sortIndicatorOrder();
    Table->setSortingEnabled(false);
    model_->setRowCount(0);
    const QDate today = services_.clock->localDate();
    for (const history::PoemStats &p : stats_.poems) {
        const deck::PoemEntry &e = poems_[p.poem];
        auto *verse = new QStandardItem(e.Kaminoku.text().section(QChar(0x3000), 0, 0));
        verse->setData(e.Kaminoku.text(), Qt::UserRole);
        verse->setToolTip(e.Kaminoku.text() + QLatin1Char('\n') + e.Shimonoku.text());
        const bool seen = p.times > 0;
        const history::PoemSchedule &planned = schedule_.poems[static_cast<std::size_t>(p.poem - 1)];
        const double recall = planned.recallOn(today);
        model_->appendRow({
            numberItem(p.poem, QString::number(p.poem)),
            verse,
            numberItem(p.times, QString::number(p.times)),
            numberItem(seen ? p.rightPercent() : -1.0, seen ? QString::number(p.rightPercent(), 'f', 1) + QLatin1Char('%') : QString()),
            numberItem(p.medianMs ? QVariant(*p.medianMs) : QVariant(std::numeric_limits<qint64>::min()),
                       p.medianMs ? QString::number(*p.medianMs) : QString()),
            numberItem(p.lastSeen, lastSeenText(p.lastSeen)),
            numberItem(planned.met() ? planned.due.toJulianDay() : std::numeric_limits<qint64>::max(),
                       planned.met() ? planned.due.toString(QStringLiteral("MM/dd")) : QString()),
            numberItem(planned.met() ? recall : -1.0,
                       planned.met() ? QString::number(qRound(100 * recall)) + QLatin1Char('%') : QString()),
        });
        model_->item(model_->rowCount() - 1, ColLast)->setToolTip(p.lastSeen);
        model_->item(model_->rowCount() - 1, ColDue)->setToolTip(planned.due.toString(Qt::ISODate));
    }
    Table->setSortingEnabled(true);
    Table->sortByColumn(sortColumn < 0 ? ColNo : sortColumn, sortColumn < 0 ? Qt::AscendingOrder : order);
    fitColumns();
}

void TF_Stats::fitColumns()
{
    int widened = 0;
    // The figures' widths only: a heading keeps the width it was given.
    const QAbstractItemView *view = Table;
    for (int c : {ColNo, ColTimes, ColRight, ColMedian, ColLast, ColDue, ColRecall}) {
        const int width = std::max(kColumnWidth[c], view->sizeHintForColumn(c));
        widened += width - kColumnWidth[c];
        Table->setColumnWidth(c, width);
    }
    Table->setColumnWidth(ColVerse, std::max(kVerseNarrowest, kColumnWidth[ColVerse] - widened));
}

void TF_Stats::fillCharts()
{
    if (!charts_ && !dueChart_)
        return;
    history::charts::Figures figures;
    for (const history::DayStats &d : stats_.days)
        figures.days.append({d.day, d.times ? 100.0 * d.right / d.times : 0.0, d.medianMs});
    figures.first = stats_.days.isEmpty() ? services_.clock->localDate() : stats_.days.first().day;
    figures.last = stats_.days.isEmpty() ? figures.first : stats_.days.last().day;

    figures.slowest = {QStringLiteral("決まり字後の中央値"), {}, {}, QStringLiteral("決まり字後の中央値 ms(歌番号)"), false};
    for (const history::PoemStats &p : stats_.slowest()) {
        figures.slowest.labels << poemLabel(poems_, p.poem);
        figures.slowest.values << static_cast<qreal>(*p.medianMs);
    }
    figures.missed = {QStringLiteral("誤答・時間切れ"), {}, {}, QStringLiteral("誤答・時間切れの回数(歌番号)"), true};
    for (const history::PoemStats &p : stats_.mostMissed()) {
        figures.missed.labels << poemLabel(poems_, p.poem);
        figures.missed.values << p.misses();
    }
    figures.confused = {QStringLiteral("取り違え"), {}, {}, QStringLiteral("回数(読まれた札→取った札)"), true};
    for (const history::Confusion &c : stats_.confusions) {
        figures.confused.labels << QStringLiteral("%1→%2").arg(c.poem).arg(c.chosen);
        figures.confused.values << c.count;
    }
    const QDate today = services_.clock->localDate();
    figures.due = {QStringLiteral("復習する札"), {}, {}, QStringLiteral("その日に復習する札の数(今日は期日を過ぎた札も)"), true};
    const QList<int> counts = schedule_.dueCounts(today, kDueDays);
    for (int i = 0; i < kDueDays; ++i) {
        figures.due.labels << dueDayLabel(today, i);
        figures.due.values << counts[i];
    }
    if (charts_)
        charts_->show(figures);
    if (dueChart_)
        dueChart_->show(figures);
}

void TF_Stats::BtnExportClick()
{
    if (exporter_.running())
        return;
    const ExportAnswer answer = askExportFile();
    if (answer.path.isEmpty())
        return;
    if (const QString refusal = history::exportRefusal(answer.typed); !refusal.isEmpty()) {
        services_.messages->inform(refusal);
        return;
    }
    BtnExport->setEnabled(false);
    // Shown only when the export lasts; its button stops it and the old file stays.
    exportProgress_ = new QProgressDialog(QStringLiteral("学習記録をCSVに書き出しています…"), QStringLiteral("中止"), 0, 0, this);
    exportProgress_->setWindowTitle(QStringLiteral("CSVに書き出す"));
    exportProgress_->setWindowModality(Qt::WindowModal);
    exportProgress_->setAutoClose(false);
    exportProgress_->setAutoReset(false);
    exportProgress_->setMinimumDuration(400);
    exportProgress_->setValue(0);
    connect(exportProgress_, &QProgressDialog::canceled, &exporter_, &history::CsvExporter::cancel);
    const QString path = answer.path;
    connect(&exporter_, &history::CsvExporter::finished, exportProgress_,
            [this, path](const history::ExportOutcome &outcome) { exportFinished(path, outcome); },
            Qt::SingleShotConnection);
    exporter_.start(history::databasePath(), path);
}

void TF_Stats::exportFinished(const QString &path, const history::ExportOutcome &outcome)
{
    exportProgress_->deleteLater();
    exportProgress_ = nullptr;
    BtnExport->setEnabled(anyHistory_);
    using Status = history::ExportOutcome::Status;
    if (outcome.status == Status::Unreadable)
        services_.messages->inform(QStringLiteral("学習記録のファイルを読めないため、CSVに書き出せませんでした。"));
    else if (outcome.status == Status::Failed)
        services_.messages->inform(history::exportFailure(path, outcome.error));
}

void TF_Stats::BtnCloseClick()
{
    closeAndShowMain();
}

void TF_Stats::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        BtnCloseClick();
        return;
    }
    Form::keyPressEvent(event);
}
