// Lays out and draws the hundred lower verses in card boxes, the way the
// game's cards paint them. Every figure is also given per card.
//   QT_QPA_PLATFORM=offscreen bench_tategaki
#include <benchmark/benchmark.h>

#include "benchrunner.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <vector>

#include "deck/poemtable.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "tategaki/engine.h"
#include "tategaki/shaper.h"

using namespace tategaki;

namespace {

constexpr int kCards = deck::kPoemCount;

QFont cardFont()
{
    return platform::fonts::font(QStringLiteral("@") + platform::fonts::MSMincho, 16, true);
}

TTategakiTextParams cardParams()
{
    TTategakiTextParams p;
    p.Alignment = taCenter;
    p.Layout = tlCenter;
    p.MultiLine = true;
    p.LineMargin = 2;
    return p;
}

const TRect kCardBox{4, 4, 61, 109};

std::vector<QByteArray> lowerVerses()
{
    std::vector<QByteArray> verses;
    for (int no = 1; no <= kCards; ++no)
        verses.push_back(deck::PoemTable[no].Shimonoku.toByteArray());
    return verses;
}

std::vector<QString> lowerVerseUnits()
{
    std::vector<QString> verses;
    for (const QByteArray &v : lowerVerses())
        verses.push_back(TategakiUnits(v));
    return verses;
}

void perCard(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * kCards);
    state.counters["per_card"] =
        benchmark::Counter(kCards, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The rules alone: breaking and placement with fixed advances.
void BM_LayoutCardsFixedAdvances(benchmark::State &state)
{
    const auto verses = lowerVerseUnits();
    const TTategakiTextParams params = cardParams();
    for (auto _ : state) {
        for (const QString &v : verses) {
            FixedMeasurer m(16, 8);
            benchmark::DoNotOptimize(LayoutTategakiText(m, v, kCardBox, params));
        }
    }
    perCard(state);
}
BENCHMARK(BM_LayoutCardsFixedAdvances);

// Breaking and placement with the real font (a fresh measurer per card, as
// every paint makes one; the shaper itself is cached per font and size).
void BM_LayoutCardsShaped(benchmark::State &state)
{
    const auto verses = lowerVerseUnits();
    const TTategakiTextParams params = cardParams();
    const QFont font = cardFont();
    for (auto _ : state) {
        for (const QString &v : verses) {
            FontMeasurer m(font, true);
            benchmark::DoNotOptimize(LayoutTategakiText(m, v, kCardBox, params));
        }
    }
    perCard(state);
}
BENCHMARK(BM_LayoutCardsShaped);

// What a card's paint costs for its caption: conversion, breaking, shaping
// and drawing the glyphs.
void BM_DrawCards(benchmark::State &state)
{
    const auto verses = lowerVerses();
    const TTategakiTextParams params = cardParams();
    QImage card(65, 113, QImage::Format_RGB32);
    QPainter p(&card);
    p.setFont(cardFont());
    p.setPen(platform::colors::clWindowText);
    for (auto _ : state) {
        for (const QByteArray &v : verses) {
            p.fillRect(card.rect(), platform::colors::clBtnFace);
            TRect r = kCardBox;
            DrawTategakiText(p, r, v, params);
        }
    }
    perCard(state);
}
BENCHMARK(BM_DrawCards);

// The disabled face draws everything twice.
void BM_DrawCardsDisabled(benchmark::State &state)
{
    const auto verses = lowerVerses();
    const TTategakiTextParams params = cardParams();
    const QFont font = cardFont();
    QImage card(65, 113, QImage::Format_RGB32);
    QPainter p(&card);
    for (auto _ : state) {
        for (const QByteArray &v : verses) {
            p.fillRect(card.rect(), platform::colors::clBtnFace);
            TRect r = kCardBox;
            DrawTategakiTextState(p, font, v, false, params, r);
        }
    }
    perCard(state);
}
BENCHMARK(BM_DrawCardsDisabled);

// Measuring only (the button's image layout measures its caption).
void BM_MeasureCards(benchmark::State &state)
{
    const auto verses = lowerVerses();
    TTategakiTextParams params = cardParams();
    params.MeasureOnly = true;
    QImage card(65, 113, QImage::Format_RGB32);
    QPainter p(&card);
    p.setFont(cardFont());
    for (auto _ : state) {
        for (const QByteArray &v : verses) {
            TRect r = kCardBox;
            DrawTategakiText(p, r, v, params);
            benchmark::DoNotOptimize(r);
        }
    }
    perCard(state);
}
BENCHMARK(BM_MeasureCards);

// Building a shaper for a font size not seen before (the font's tables go
// into HarfBuzz); later paints at that size find it in the cache.
void BM_FirstShaperForAFontSize(benchmark::State &state)
{
    static int nextSize = 1000;
    for (auto _ : state) {
        QFont f = cardFont();
        f.setPixelSize(nextSize++);
        benchmark::DoNotOptimize(FontShaper::forFont(f));
    }
}
BENCHMARK(BM_FirstShaperForAFontSize)->Iterations(200);

} // namespace

int main(int argc, char **argv)
{
    bench::preferOffscreen();
    QGuiApplication app(argc, argv);
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
    return bench::runBenchmarks(argc, argv);
}
