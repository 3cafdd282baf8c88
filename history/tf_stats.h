#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <functional>
#include <memory>
#include <optional>

#include "history/chartpages.h"
#include "history/csvexport.h"
#include "history/database.h"
#include "history/schedulecache.h"
#include "history/stats.h"
#include "history/statsloader.h"
#include "platform/ui/form.h"

class QProgressDialog;
class QStandardItemModel;
namespace deck {
class PoemTableData;
}
namespace platform {
struct Services;
}

// 学習記録: per-poem figures, charts by day, the slowest and most-missed
// poems and the pairs most often taken for one another, for a chosen period
// and mode. Read from the history file every time it is shown, on a thread
// of its own: the window is up at once and says it is reading. The review
// schedule comes from `schedules`, shared with the quiz (a cache of the
// window's own when none is given).
class TF_Stats : public platform::ui::Form {
    Q_OBJECT
public:
    // `services` (the date, the message windows), `poems` and `schedules` outlive the window.
    TF_Stats(platform::Services &services, const deck::PoemTableData &poems, QWidget *parent = nullptr,
             history::ScheduleCache *schedules = nullptr);

    QComboBox *CbPeriod;
    QComboBox *CbMode;
    QLabel *LblSummary;
    QLabel *LblDue; // how many poems are due today
    QPushButton *BtnExport;
    QPushButton *BtnClose;
    QTableView *Table;
    QTabWidget *Charts;
    QLabel *LblEmpty; // over the table and charts while there is nothing to show
    // Which history is shown: only when the working folder's could not be
    // written (history::unwritableHistoryPath()), it first, read only, then
    // the one in use.
    QComboBox *CbHistory;
    QString shownPath() const;

    // The save dialog's answer: the path it chose (empty when cancelled) and
    // the name as typed, when the dialog is Qt's own and so has a name box.
    struct ExportAnswer {
        QString path;
        QString typed;
    };
    std::function<ExportAnswer()> askExportFile;

    void reload(); // starts reading; the figures follow when read
    void showStatistics(const history::Loaded &loaded);
    void waitUntilLoaded(); // tests, benchmarks
    // Asks for the file, then writes it on a thread of its own under a
    // progress window whose button stops it.
    void BtnExportClick();
    bool exporting() const { return exporter_.running(); }
    QProgressDialog *exportProgress() const { return exportProgress_; }
    void BtnCloseClick();

    history::Filter filter() const;
    const history::Statistics &statistics() const { return stats_; }
    const history::Schedule &schedule() const { return schedule_; }
    QStandardItemModel *model() const { return model_; }

protected:
    void FormShow() override;
    void FormHide() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillTable();
    void fillCharts();
    void fitColumns();
    void statisticsRead(const history::Loaded &loaded);
    void scheduleReady();
    void exportFinished(const QString &path, const history::ExportOutcome &outcome);

    platform::Services &services_;
    const deck::PoemTableData &poems_;
    QStandardItemModel *model_;
    std::unique_ptr<history::charts::Pages> charts_; // none without the charts module
    std::unique_ptr<history::charts::Pages> dueChart_;
    history::Statistics stats_;
    history::Schedule schedule_;
    bool anyHistory_ = false;
    history::StatisticsLoader loader_;
    std::unique_ptr<history::ScheduleCache> ownSchedules_;
    history::ScheduleCache *schedules_;
    // Shown once both the figures and the schedule are in.
    std::optional<history::Loaded> read_;
    bool scheduleWanted_ = false;
    history::CsvExporter exporter_;
    QProgressDialog *exportProgress_ = nullptr;
};

extern TF_Stats *F_Stats;

namespace history {
// The empty state's texts.
QString emptyHistoryText();
QString unreadableText(const QString &path, Trouble trouble);
QString readOnlySummary(int total);
// CbHistory's tip: which file each item is, and why the first is read only.
QString otherHistoryTip(const QString &unwritable, const QString &inUse);
QString emptySelectionText();
QString loadingText();
// Why a CSV is not written under the name the player typed; empty when it may be.
QString exportRefusal(const QString &typed);
// Why writing the CSV to `path` failed, as far as the file system tells,
// else by the write's errno.
QString exportFailure(const QString &path, int error = 0);
} // namespace history
