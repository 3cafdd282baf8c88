// The card drill: from an answer to the next card drawn must take less than
// one frame (16 ms at 60 Hz). Each card of a 100-card run is answered through
// the window's handler and the whole window rendered, as the screen would be.
//   QT_QPA_PLATFORM=offscreen bench_nagashi
#include <benchmark/benchmark.h>

#include "widgetbench.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <vector>

#include <time.h>

#include "deck/poemtable.h"
#include "history/recorder.h"
#include "nagashi/tf_nagashi.h"
#include "platform/random.h"
#include "platform/services.h"
#include "voice/speaker.h"

namespace {

// The thread's own CPU time: on a shared machine the wall time of one card
// also holds whatever ran in between.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void BM_AnswerToNextCard(benchmark::State &state)
{
    TF_Nagashi window({platform::services(), platform::rng(), history::recorder(), voice::options(), deck::PoemTable});
    window.CmbAnswer->setCurrentIndex(int(state.range(0)));
    const qreal dpr = qreal(state.range(1));
    QImage target((QSizeF(window.size()) * dpr).toSize(), QImage::Format_RGB32);
    target.setDevicePixelRatio(dpr);
    auto render = [&] {
        QPainter p(&target);
        window.render(&p);
    };
    render(); // caches warm, as after the first paint on screen

    std::vector<double> cards, cpu;
    for (auto _ : state) {
        state.PauseTiming();
        platform::rng().state = 2024;
        window.BtnStartClick();
        render();
        state.ResumeTiming();
        while (window.running()) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = cpuMs();
            if (window.flipping()) {
                window.Flip();
                window.Grade(true);
            } else {
                window.ChoiceClick(window.choices().answer);
            }
            render();
            cpu.push_back(cpuMs() - cpuStart);
            cards.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    auto figures = [&state](std::vector<double> &ms, const std::string &suffix) {
        std::sort(ms.begin(), ms.end());
        state.counters["median" + suffix] = ms[ms.size() / 2];
        state.counters["p99" + suffix] = ms[ms.size() * 99 / 100];
        state.counters["worst" + suffix] = ms.back();
        state.counters["over_16" + suffix] = double(std::count_if(ms.begin(), ms.end(), [](double v) { return v >= 16.0; }));
    };
    figures(cards, "_ms");
    figures(cpu, "_cpu_ms");
    state.SetItemsProcessed(int64_t(cards.size()));
    state.SetLabel(std::string(state.range(0) ? "flip and grade" : "pick of four") + ", scale "
                   + std::to_string(state.range(1)));
}
BENCHMARK(BM_AnswerToNextCard)->Args({0, 1})->Args({1, 1})->Args({0, 2})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runWidgetBenchmarks(argc, argv);
}
