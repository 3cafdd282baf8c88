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

#include "deck/poemtable.h"
#include "history/recorder.h"
#include "nagashi/tf_nagashi.h"
#include "platform/random.h"
#include "platform/services.h"
#include "voice/speaker.h"

namespace {

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

    std::vector<double> cards;
    for (auto _ : state) {
        state.PauseTiming();
        platform::rng().state = 2024;
        window.BtnStartClick();
        render();
        state.ResumeTiming();
        while (window.running()) {
            const auto start = std::chrono::steady_clock::now();
            if (window.flipping()) {
                window.Flip();
                window.Grade(true);
            } else {
                window.ChoiceClick(window.choices().answer);
            }
            render();
            cards.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(cards.begin(), cards.end());
    state.counters["median_ms"] = cards[cards.size() / 2];
    state.counters["p99_ms"] = cards[cards.size() * 99 / 100];
    state.counters["worst_ms"] = cards.back();
    state.counters["over_16ms"] = double(std::count_if(cards.begin(), cards.end(), [](double ms) { return ms >= 16.0; }));
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
