#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <memory>

#include "history/chartpages.h"
#include "history/database.h"
#include "history/stats.h"
#include "platform/ui/form.h"

class QStandardItemModel;

// 学習記録: per-poem figures, charts by day, the slowest and most-missed
// poems and the pairs most often taken for one another, for a chosen period
// and mode. Read from the history file every time it is shown.
class TF_Stats : public platform::ui::Form {
    Q_OBJECT
public:
    explicit TF_Stats(QWidget *parent = nullptr);

    QComboBox *CbPeriod;
    QComboBox *CbMode;
    QLabel *LblSummary;
    QPushButton *BtnExport;
    QPushButton *BtnClose;
    QTableView *Table;
    QTabWidget *Charts;
    QLabel *LblEmpty; // over the table and charts while there is nothing to show

    void reload();
    void BtnExportClick();
    void BtnCloseClick();

    history::Filter filter() const;
    const history::Statistics &statistics() const { return stats_; }
    QStandardItemModel *model() const { return model_; }

protected:
    void FormShow() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillTable();
    void fillCharts();

    QStandardItemModel *model_;
    std::unique_ptr<history::charts::Pages> charts_; // none without the charts module
    history::Statistics stats_;
    bool anyHistory_ = false;
};

extern TF_Stats *F_Stats;

namespace history {
// The empty state's texts.
QString emptyHistoryText();
QString unreadableText(const QString &path, Trouble trouble);
QString readOnlySummary(int total);
QString emptySelectionText();
} // namespace history
