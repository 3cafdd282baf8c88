// Timing of the game window: how steadily the reading timer ticks while the
// window paints, and how long painting the boards takes. Prints its figures;
// run it under any platform plugin (offscreen, xcb under Xvfb, a desktop).
//
//   bench_game [readings]     readings per board for the tick figures (default 1);
//                           the L board is read once more with every core busy

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <numeric>
#include <thread>
#include <vector>

#include "deck/poemtable.h"
#include "game/tf_game.h"
#include "history/recorder.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/gui/fonts.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/speedbuttontategaki.h"

namespace {

struct TickFigures {
    int ticks = 0;
    double meanPeriod = 0;   // ms between successive ticks
    double worstPeriod = 0;  // the longest gap
    double shortestPeriod = 0;
    double meanLateness = 0; // ms behind the ideal schedule start + k * 150, tick handled
    double worstLateness = 0;
    double meanFiring = 0;   // the same when the timer fires, before the game's handler
    double worstFiring = 0;
};

// Notes when the timer's expiry reaches the event loop, before its timeout
// is emitted: the timer file's notice, or the fallback QTimer's event.
class FiringWatch : public QObject {
public:
    std::function<void()> fired;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::SockAct || event->type() == QEvent::Timer)
            fired();
        return false;
    }
};

// Plays whole readings in real time (73 ticks each) and notes when each tick
// has been handled, label repaint requests included.
TickFigures measureReadings(TF_Game &w, int readings)
{
    std::vector<double> periods, lateness, firing;
    QElapsedTimer clock;
    int fired = 0;
    FiringWatch watch;
    watch.fired = [&] { firing.push_back(clock.nsecsElapsed() / 1e6 - ++fired * 150.0); };
    QObject *source = w.Timer1->findChild<QSocketNotifier *>();
    if (!source)
        source = w.Timer1->findChild<QTimer *>();
    source->installEventFilter(&watch);
    for (int r = 0; r < readings; ++r) {
        w.BtnStartClick();
        clock.start();
        fired = 0;
        double last = 0;
        int k = 0;
        QEventLoop loop;
        auto conn = QObject::connect(w.Timer1, &platform::ui::TickTimer::timeout, &loop, [&] {
            const double now = clock.nsecsElapsed() / 1e6;
            ++k;
            periods.push_back(now - last);
            lateness.push_back(now - k * 150.0);
            last = now;
            if (!w.Timer1->isActive())
                loop.quit();
        });
        loop.exec();
        QObject::disconnect(conn);
    }
    TickFigures f;
    f.ticks = int(periods.size());
    f.meanPeriod = std::accumulate(periods.begin(), periods.end(), 0.0) / periods.size();
    f.worstPeriod = *std::max_element(periods.begin(), periods.end());
    f.shortestPeriod = *std::min_element(periods.begin(), periods.end());
    f.meanLateness = std::accumulate(lateness.begin(), lateness.end(), 0.0) / lateness.size();
    f.worstLateness = *std::max_element(lateness.begin(), lateness.end());
    f.meanFiring = std::accumulate(firing.begin(), firing.end(), 0.0) / firing.size();
    f.worstFiring = *std::max_element(firing.begin(), firing.end());
    source->removeEventFilter(&watch);
    return f;
}

struct PaintFigures {
    double mean = 0, median = 0, best = 0, worst = 0;
};

template <typename Fn>
PaintFigures timeRepeated(int times, Fn fn)
{
    std::vector<double> ms;
    QElapsedTimer t;
    for (int i = 0; i < times; ++i) {
        t.start();
        fn();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size(), ms[ms.size() / 2], ms.front(), ms.back()};
}

void printPaint(const char *what, const PaintFigures &f)
{
    std::printf("  %-38s median %7.3f ms   mean %7.3f ms   best %7.3f ms   worst %7.3f ms\n", what, f.median, f.mean,
                f.best, f.worst);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
    const int readings = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;

    const TF_Game::Needs needs{platform::services(), platform::rng(), history::recorder(), voice::options(),
                               deck::PoemTable};
    TF_24 s(needs);
    TF_84 l(needs);
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));

    std::printf("\npainting (each figure renders the widget and its children into an image)\n");
    for (TF_Game *w : {static_cast<TF_Game *>(&s), static_cast<TF_Game *>(&l)}) {
        w->show();
        w->BtnShowClick();
        app.processEvents();
        auto paint = [](QWidget *widget) {
            QImage image(widget->size(), QImage::Format_RGB32);
            return [widget, image]() mutable { widget->render(&image); };
        };
        const QString name = w->objectName();
        printPaint(qPrintable(name + " whole window, dealt"), timeRepeated(50, paint(w)));
        printPaint(qPrintable(name + " board panel with its cards"), timeRepeated(50, paint(w->Panel2)));
        // New captions every time: nothing laid out before.
        printPaint(qPrintable(name + " sort, then the whole window"), timeRepeated(20, [&, full = paint(w)]() mutable {
                       w->BtnTorijunClick();
                       full();
                       w->BtnYomijunClick();
                       full();
                   }));
        w->BtnStartClick();
        w->Timer1->stop();
        auto label = paint(w->lt1);
        // The label as it grows tick by tick: what one tick repaints.
        printPaint(qPrintable(name + " lt1 after each of 40 ticks"), timeRepeated(40, [&]() mutable {
                       w->Timer1Timer();
                       label();
                   }));
        printPaint(qPrintable(name + " one card"), timeRepeated(200, paint(w->card(1))));
        w->BtnResetClick();
        w->hide();
    }

    std::printf("\nreading timer, %d reading(s) of 73 ticks per board, nominal period 150 ms\n", readings);
    auto readOn = [&](TF_Game *w, const char *load) {
        w->show();
        w->BtnShowClick();
        app.processEvents();
        const TickFigures f = measureReadings(*w, readings);
        std::printf("  %s %s: %d ticks   period mean %.3f ms, shortest %.3f, longest %.3f   "
                    "lateness mean %.3f ms, worst %.3f ms (fired: mean %.3f, worst %.3f)\n",
                    qPrintable(w->objectName()), load, f.ticks, f.meanPeriod, f.shortestPeriod, f.worstPeriod,
                    f.meanLateness, f.worstLateness, f.meanFiring, f.worstFiring);
        w->BtnResetClick();
        w->hide();
    };
    readOn(&s, "idle");
    readOn(&l, "idle");
    {
        // Every core kept busy by a thread that spins, as when the player's
        // machine compiles or plays a video beside the game.
        std::atomic<bool> stop = false;
        std::vector<std::thread> spinners;
        for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
            spinners.emplace_back([&stop] {
                while (!stop.load(std::memory_order_relaxed)) {
                }
            });
        readOn(&l, "both cores busy");
        stop = true;
        for (std::thread &t : spinners)
            t.join();
    }
    return 0;
}
