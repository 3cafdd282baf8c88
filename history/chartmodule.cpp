// The charts module: the statistics window's four charts, with Qt Charts.
#include "chartpages.h"
#include "platform/ui/modules.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QHorizontalBarSeries>
#include <QLayout>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

using namespace history::charts;

QChart *chartInto(QWidget *page)
{
    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(2, 2, 2, 2));
    auto *view = new QChartView(chart, page);
    view->setRenderHint(QPainter::Antialiasing);
    page->layout()->addWidget(view);
    return chart;
}

void clearChart(QChart *chart)
{
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

// Bars laid sideways, so that every label has room on the left; the first
// label is drawn at the top.
void barChart(QChart *chart, const Bars &bars)
{
    clearChart(chart);
    auto *set = new QBarSet(bars.setName);
    for (auto it = bars.values.crbegin(); it != bars.values.crend(); ++it)
        *set << *it;
    auto *series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
    chart->addSeries(series);
    auto *names = new QBarCategoryAxis;
    QStringList reversed(bars.labels.crbegin(), bars.labels.crend());
    names->append(reversed.isEmpty() ? QStringList{QStringLiteral("-")} : reversed);
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    auto *axis = new QValueAxis;
    axis->setTitleText(bars.valueTitle);
    axis->setLabelFormat(QStringLiteral("%d"));
    qreal low = 0;
    qreal top = 1;
    for (qreal v : bars.values) {
        top = std::max(top, v);
        low = std::min(low, v);
    }
    if (bars.counts) {
        // Whole numbers only: five steps of a whole size.
        const int step = std::max(1, int(std::ceil(top * 1.1 / 5)));
        axis->setRange(0, step * 5);
        axis->setTickCount(6);
    } else {
        axis->setRange(low, top * 1.1);
        axis->applyNiceNumbers();
    }
    chart->addAxis(axis, Qt::AlignBottom);
    series->attachAxis(axis);
    chart->legend()->hide();
}

// Accuracy (left axis, %) and median reaction (right axis, ms) per day.
void dayChart(QChart *chart, const Figures &figures)
{
    clearChart(chart);
    auto *accuracy = new QLineSeries;
    accuracy->setName(QStringLiteral("正解率(%)"));
    auto *median = new QLineSeries;
    median->setName(QStringLiteral("決まり字後の中央値(ms)"));
    // A single day is a single point: drawn as a dot, not a line.
    accuracy->setPointsVisible(true);
    median->setPointsVisible(true);
    qint64 slowest = 1000;
    for (const Day &d : figures.days) {
        const qreal x = QDateTime(d.day, QTime(12, 0)).toMSecsSinceEpoch();
        accuracy->append(x, d.accuracy);
        if (d.medianMs) {
            median->append(x, static_cast<qreal>(*d.medianMs));
            slowest = std::max(slowest, *d.medianMs);
        }
    }
    chart->addSeries(accuracy);
    chart->addSeries(median);
    auto *x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("M/d"));
    // Ticks on midnights when the span is short; five spread ticks otherwise.
    // The axis ends after the last day: its point is drawn at noon.
    const qint64 span = figures.first.daysTo(figures.last) + 1;
    x->setTickCount(int(std::min<qint64>(span + 1, 5)));
    x->setRange(QDateTime(figures.first, QTime(0, 0)), QDateTime(figures.last.addDays(1), QTime(0, 0)));
    chart->addAxis(x, Qt::AlignBottom);
    auto *yAcc = new QValueAxis;
    yAcc->setRange(0, 100);
    yAcc->setLabelFormat(QStringLiteral("%d"));
    yAcc->setTitleText(QStringLiteral("%"));
    chart->addAxis(yAcc, Qt::AlignLeft);
    auto *yMs = new QValueAxis;
    yMs->setRange(std::min<qint64>(0, slowest), static_cast<qreal>(slowest) * 1.1);
    yMs->setLabelFormat(QStringLiteral("%d"));
    yMs->setTitleText(QStringLiteral("ms"));
    yMs->applyNiceNumbers();
    chart->addAxis(yMs, Qt::AlignRight);
    accuracy->attachAxis(x);
    accuracy->attachAxis(yAcc);
    median->attachAxis(x);
    median->attachAxis(yMs);
    chart->legend()->show();
}

class ChartPages final : public Pages {
public:
    ChartPages(QWidget *days, QWidget *slowest, QWidget *missed, QWidget *confused)
        : days_(chartInto(days)), slowest_(chartInto(slowest)), missed_(chartInto(missed)),
          confused_(chartInto(confused))
    {
    }

    void show(const Figures &figures) override
    {
        dayChart(days_, figures);
        barChart(slowest_, figures.slowest);
        barChart(missed_, figures.missed);
        barChart(confused_, figures.confused);
    }

private:
    QChart *days_, *slowest_, *missed_, *confused_; // owned by their views
};

class DuePage final : public Pages {
public:
    explicit DuePage(QWidget *page)
        : chart_(chartInto(page))
    {
    }

    void show(const Figures &figures) override { barChart(chart_, figures.due); }

private:
    QChart *chart_; // owned by its view
};

} // namespace

KOTOHA_MODULE_VERSION(history::charts::ModuleVersion)

extern "C" Q_DECL_EXPORT Pages *kotohaNewDueChartPage(QWidget *due)
{
    return new DuePage(due);
}

extern "C" Q_DECL_EXPORT Pages *kotohaNewChartPages(QWidget *days, QWidget *slowest, QWidget *missed,
                                                    QWidget *confused)
{
    return new ChartPages(days, slowest, missed, confused);
}

// The window calls it through this type.
static_assert(std::is_same_v<decltype(&kotohaNewChartPages), NewPagesFunction>);
static_assert(std::is_same_v<decltype(&kotohaNewDueChartPage), NewDuePageFunction>);
