// The match floor: a full repaint of its 50 cards, half of them turned,
// must fit in one frame (8 ms at 120 Hz). Baseline in the same run: the
// same floor with every card upright, so the turning's cost shows as a ratio.
//   QT_QPA_PLATFORM=offscreen bench_match
#include <benchmark/benchmark.h>

#include "widgetbench.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "deck/poemtable.h"
#include "history/recorder.h"
#include "play/matchcard.h"
#include "match/tf_match.h"
#include "platform/gui/fonts.h"
#include "platform/random.h"
#include "platform/services.h"

namespace {

struct Floor {
    TF_Match window{
        {platform::services(), platform::rng(), history::recorder(), voice::options(), deck::PoemTable}};
    QImage target;

    Floor(bool turned, qreal dpr)
        : target((QSizeF(window.PField->size()) * dpr).toSize(), QImage::Format_RGB32)
    {
        target.setDevicePixelRatio(dpr);
        window.newMatch(2024);
        if (!turned)
            for (MatchCard *c : window.PField->findChildren<MatchCard *>())
                c->setUpsideDown(false);
    }
    void repaint()
    {
        QPainter p(&target);
        window.PField->render(&p);
    }
};

void BM_RepaintFloor50(benchmark::State &state)
{
    Floor floor(state.range(0) != 0, qreal(state.range(1)));
    floor.repaint(); // caches warm, as after the first paint on screen
    for (auto _ : state) {
        floor.repaint();
        benchmark::DoNotOptimize(floor.target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * 50);
    state.SetLabel(std::string(state.range(0) ? "opponent turned" : "baseline: all upright") + ", scale "
                   + std::to_string(state.range(1)));
}
BENCHMARK(BM_RepaintFloor50)->Args({0, 1})->Args({1, 1})->Args({1, 2})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runWidgetBenchmarks(argc, argv);
}
