// Mixing throughput and the repaint of a full L board of cards.
//   QT_QPA_PLATFORM=offscreen bench_speedbutton
#include <benchmark/benchmark.h>

#include "widgetbench.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "deck/poemtable.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"
#include "tategaki/mix.h"
#include "tategaki/speedbuttontategaki.h"

using namespace tategaki;

namespace {

// One full band: 128 x 128 pixels in the work format.
struct Band {
    QImage drawing{128, 128, MixFormat};
    QImage background{128, 128, MixFormat};
    std::vector<std::uint8_t> original;

    Band()
    {
        std::mt19937 gen(1);
        for (QImage *img : {&drawing, &background})
            for (qsizetype i = 0; i < img->sizeInBytes(); ++i)
                img->bits()[i] = std::uint8_t(gen());
        original.assign(drawing.constBits(), drawing.constBits() + drawing.sizeInBytes());
    }
    void reset() { std::memcpy(drawing.bits(), original.data(), original.size()); }
    std::size_t bytes() const { return std::size_t(drawing.sizeInBytes()); }
};

static_assert(128 * 128 == MixBandPixels);

void BM_MixBandPacked(benchmark::State &state)
{
    Band band;
    const int level = int(state.range(0));
    for (auto _ : state) {
        band.reset();
        mixBytes(band.drawing.bits(), band.background.constBits(), band.bytes(), level);
        benchmark::DoNotOptimize(band.drawing.bits());
    }
    state.SetItemsProcessed(state.iterations() * MixBandPixels);
    state.SetBytesProcessed(state.iterations() * std::int64_t(band.bytes()));
    state.SetLabel("pixels/s = items/s");
}
BENCHMARK(BM_MixBandPacked)->Arg(1)->Arg(4)->Arg(5)->Arg(7);

void BM_MixBandPlain(benchmark::State &state)
{
    Band band;
    const int level = int(state.range(0));
    for (auto _ : state) {
        band.reset();
        mixBytesPlain(band.drawing.bits(), band.background.constBits(), band.bytes(), level);
        benchmark::DoNotOptimize(band.drawing.bits());
    }
    state.SetItemsProcessed(state.iterations() * MixBandPixels);
    state.SetBytesProcessed(state.iterations() * std::int64_t(band.bytes()));
    state.SetLabel("pixels/s = items/s");
}
BENCHMARK(BM_MixBandPlain)->Arg(1)->Arg(4)->Arg(5)->Arg(7);

// The copy alone, to tell the mixing from the reset in the figures above.
void BM_BandCopyOnly(benchmark::State &state)
{
    Band band;
    for (auto _ : state) {
        band.reset();
        benchmark::DoNotOptimize(band.drawing.bits());
    }
    state.SetItemsProcessed(state.iterations() * MixBandPixels);
}
BENCHMARK(BM_BandCopyOnly);

// The L board: a 913 x 689 panel with 84 cards in rows of 14, right to left.
struct Board {
    platform::ui::Panel panel;
    std::vector<TSpeedButtonTategaki *> cards;
    QImage target{913, 689, QImage::Format_RGB32};

    explicit Board(int level)
    {
        panel.resize(913, 689);
        panel.setColor(platform::colors::clNavy);
        panel.setBevels(platform::ui::Bevel::Lowered, platform::ui::Bevel::Lowered);
        const QFont font = platform::fonts::font(QStringLiteral("@") + platform::fonts::MSMincho, 16, true);
        for (int k = 1; k <= 84; ++k) {
            const int r = (k - 1) / 14, j = (k - 1) % 14;
            auto *b = new TSpeedButtonTategaki(&panel);
            b->setObjectName(QStringLiteral("sbt%1").arg(k));
            b->setGeometry(8 + 64 * (14 - 1 - j), 8 + 112 * r, 65, 113);
            b->setAllowAllUp(true);
            b->setFont(font);
            b->setMultiLine(true);
            b->setTag(k);
            b->setCaption(deck::PoemTable[k].Shimonoku.toByteArray());
            b->setTrnsIndex(TTrnsIndex(level));
            cards.push_back(b);
        }
    }
    void repaint()
    {
        QPainter p(&target);
        panel.render(&p);
    }
};

void BM_RepaintBoard84(benchmark::State &state)
{
    Board board(int(state.range(0)));
    board.repaint(); // fonts and shaping caches warm, as after the first paint on screen
    for (auto _ : state) {
        board.repaint();
        benchmark::DoNotOptimize(board.target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * 84);
    state.SetLabel(state.range(0) == 0 ? "cards/s, painted directly" : "cards/s, mixed");
}
BENCHMARK(BM_RepaintBoard84)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runWidgetBenchmarks(argc, argv);
}
