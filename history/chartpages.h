#pragma once

// The statistics window's charts are drawn by the charts module (Qt Charts
// and the OpenGL libraries under it), which the window loads when it is
// made, after the menu is on screen (platform/ui/modules.h). This is all the
// two share: plain figures one way, four pages the other.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace history::charts {

struct Day {
    QDate day;
    qreal accuracy = 0;             // per cent
    std::optional<qint64> medianMs; // right answers' median, ms after the deciding syllables
};

struct Bars {
    QString setName;
    QStringList labels; // the first is drawn at the top
    QList<qreal> values;
    QString valueTitle;
    bool counts = false; // whole numbers on the value axis
};

struct Figures {
    QList<Day> days;
    QDate first, last; // the day axis' span
    Bars slowest, missed, confused;
    Bars due; // how many poems fall due on each of the next days, today first
};

class Pages {
public:
    virtual ~Pages() = default;
    virtual void show(const Figures &figures) = 0;
};

inline constexpr char ModuleName[] = "kotoha_charts";
// Raised whenever anything in this header changes.
inline constexpr int ModuleVersion = 2; // 2: the due page

// Puts one chart into each page, whose layout it is given; the caller owns
// the result, the pages own the charts.
inline constexpr char NewPages[] = "kotohaNewChartPages";
using NewPagesFunction = Pages *(*)(QWidget *days, QWidget *slowest, QWidget *missed, QWidget *confused);

// The review's page, made by a function of its own.
inline constexpr char NewDuePage[] = "kotohaNewDueChartPage";
using NewDuePageFunction = Pages *(*)(QWidget *due);

} // namespace history::charts
