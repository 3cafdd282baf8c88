// Reading aloud against the game's reveal: for every mora of the hundred
// poems' clips, how far its start lies from the tick that shows its kana.
// Baseline, measured in the same run: the same verses as Open JTalk says
// them, stretched as a whole (one rate per half-verse, first and last mora
// on their ticks), which is what a speech-rate option alone can do.
//
//   bench_voice [readings-folder] [--no-baseline]
//
// Each mora is measured twice: where its samples were placed (the index) and
// where the voice is first heard from there on (the audio itself).
// Then how the voice flows, from each clip and the labels beside it: the
// share of silent 10 ms frames where a voiced sound is said inside a phrase,
// abrupt stops, the silence before each phrase after a pause, and how long
// the lower verse's last syllable is heard and whether it dies away.
// The folder defaults to the build's readings/. Exit status 1 when a clip is
// missing, a mora is placed more than 50 ms off its tick or heard more than
// 50 ms after it, or the flow misses its goals (under 5 % silent, no abrupt
// stop, no phrase's end silent more than 50 ms before the next phrase, every last syllable heard 2.5 s and fading).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include "deck/poemtable.h"
#include "tests/support/flowcheck.h"
#include "tests/support/revealcheck.h"
#include "deck/opening.h"
#include "voice/readings.h"
#include "voice/voicecore.h"

using namespace voice;

namespace {

void print(const char *what, Drift d)
{
    std::sort(d.all.begin(), d.all.end());
    const auto at = [&](double q) { return d.all.isEmpty() ? 0 : d.all[qsizetype(q * (d.all.size() - 1))]; };
    std::printf("%-28s morae %5d  mean %7.1f ms  median %5d ms  p95 %5d ms  worst %5d ms  over 50 ms: %d\n", what,
                d.morae, d.meanMs, at(0.5), at(0.95), d.worstMs, d.over50);
}

// The verse as synthesised, stretched linearly so that its first and last
// morae start on their targets.
std::optional<ClipTimes> uniformlyStretched(int poem, Half half, const QDir &scratch)
{
    const Verse verse = spokenVerse(poem, half);
    const QString spelled = deck::spelledVerse(poem, half);
    QFile in(scratch.filePath(QStringLiteral("in.txt")));
    if (!in.open(QIODevice::WriteOnly))
        return std::nullopt;
    in.write(synthesisText(verse, spelled).toUtf8() + '\n');
    in.close();
    const QString trace = scratch.filePath(QStringLiteral("trace.txt"));
    QProcess p;
    p.start(QStringLiteral("open_jtalk"),
            {"-x", "/var/lib/mecab/dic/open-jtalk/naist-jdic", "-m",
             "/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice", "-ow",
             scratch.filePath(QStringLiteral("out.wav")), "-ot", trace, in.fileName()});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return std::nullopt;
    QFile t(trace);
    if (!t.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<MoraSpan> spans = moraSpans(parseTrace(t.readAll()));
    const QList<int> targets = moraTargetsMs(verse, spelled);
    if (spans.size() != verse.size() || spans.size() < 2)
        return std::nullopt;
    const double scale =
        double(targets.last() - targets.first()) / std::max(1, spans.last().startMs - spans.first().startMs);
    ClipTimes c{poem, half, {}, {}};
    for (const MoraSpan &m : spans) {
        const int at = targets.first() + int((m.startMs - spans.first().startMs) * scale + 0.5);
        c.startMs.append(at);
        c.endMs.append(at);
    }
    return c;
}

// Where the voice is first heard after `startMs`: the first 5 ms window
// louder than -46 dBFS, about a soft stop's burst (300 when never).
int onsetDelayMs(const QByteArray &pcm, int rate, int startMs)
{
    const auto *s = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype n = pcm.size() / 2;
    const int window = rate / 200;
    for (int d = 0; d < 300; d += 5) {
        const qsizetype from = qsizetype(startMs + d) * rate / 1000;
        double e = 0;
        for (qsizetype i = from; i < std::min(n, from + window); ++i)
            e += double(s[i]) * s[i];
        if (e / window > 164.0 * 164.0)
            return d;
    }
    return 300;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString folder = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../readings"));
    bool baseline = true;
    for (const QString &a : app.arguments().mid(1)) {
        if (a == u"--no-baseline")
            baseline = false;
        else
            folder = a;
    }
    deck::PoemTable.fill();

    QFile index(QDir(folder).filePath(QStringLiteral("index.tsv")));
    if (!index.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_voice: no clips in %s (build them with Open JTalk installed)\n", qPrintable(folder));
        return 1;
    }
    const QList<ClipTimes> clips = parseIndex(index.readAll()).value_or(QList<ClipTimes>());
    Drift aligned;
    Drift heard; // placement plus the wait for the first audible sound
    Flow flow;
    int bad = 0;
    for (const ClipTimes &c : clips) {
        bad += addDrift(aligned, c) ? 0 : 1;
        QFile wav(QDir(folder).filePath(QStringLiteral("%1-%2.wav").arg(c.poem, 3, 10, QChar(u'0')).arg(int(c.half))));
        int rate = 0;
        const QByteArray pcm = wav.open(QIODevice::ReadOnly) ? wavSamples(wav.readAll(), &rate).value_or(QByteArray())
                                                             : QByteArray();
        QFile lab(QFileInfo(wav).path() + u'/' + QFileInfo(wav).completeBaseName() + QStringLiteral(".lab"));
        if (rate > 0 && lab.open(QIODevice::ReadOnly))
            addFlow(flow, pcm, rate, parseLabels(lab.readAll()), spokenVerse(c.poem, c.half),
                    deck::spelledVerse(c.poem, c.half), c.half);
        else
            ++bad;
        ClipTimes onsets = c;
        for (qsizetype k = 0; k < c.startMs.size() && rate > 0; ++k)
            onsets.startMs[k] += onsetDelayMs(pcm, rate, c.startMs[k]);
        if (rate > 0)
            addDrift(heard, onsets);
        else
            ++bad;
    }
    // The hundred poems and the opening poem.
    constexpr int kClips = 2 * (deck::kPoemCount + 1);
    std::printf("clips %lld of %d (%d with a mora count unlike the verse's); morae past the spelled text, not "
                "measured: %d\n",
                qlonglong(clips.size()), kClips, bad, aligned.beyond);
    print("re-timed clips: placed", aligned);
    print("re-timed clips: first heard", heard);
    QList<int> held = flow.heldMs;
    std::sort(held.begin(), held.end());
    std::printf("flow: voiced frames inside phrases %d, silent %d (%.2f %%); abrupt stops %d; "
                "phrase ends %d, longest silence before the next phrase %d ms\n",
                flow.voicedFrames, flow.silentVoiced, 100.0 * flow.silentShare(), flow.abruptStops, flow.phraseEnds,
                flow.worstPhraseGapMs);
    std::printf("last syllables of the lower verses heard: shortest %d ms, median %d ms; not dying away: %d\n",
                held.isEmpty() ? 0 : held.first(), held.isEmpty() ? 0 : held[held.size() / 2], flow.notFading);
    const bool flows = flow.silentShare() < 0.05 && flow.abruptStops == 0 && flow.worstPhraseGapMs <= 50 &&
                       (held.isEmpty() || held.first() >= 2500) && flow.notFading == 0;

    if (baseline) {
        QTemporaryDir scratch;
        Drift uniform;
        QElapsedTimer clock;
        clock.start();
        for (int p = 1; p <= deck::kPoemCount; ++p)
            for (Half h : {Half::Kami, Half::Shimo})
                if (const auto c = uniformlyStretched(p, h, QDir(scratch.path())))
                    addDrift(uniform, *c);
        print("baseline: one rate a verse", uniform);
        std::printf("ratio of mean drift, re-timed (first heard) / baseline: %.3f (baseline synthesis %lld ms)\n",
                    uniform.meanMs > 0 ? heard.meanMs / uniform.meanMs : 0.0, qlonglong(clock.elapsed()));
    }
    return clips.size() == kClips && bad == 0 && aligned.over50 == 0 && heard.over50 == 0 && flows ? 0 : 1;
}
