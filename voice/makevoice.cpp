// Makes the reading clips: each half-verse of each poem spoken by Open JTalk
// from its kana, every mora moved to the moment the game reveals its kana,
// plus the index of mora times the program reads beside them.
//
//   makevoice <out-folder> [--poems N,N,...] [--dic DIR] [--voice FILE] [--keep-going]
//
// Writes <out>/NNN-1.wav (upper verse), <out>/NNN-2.wav (lower verse) and
// <out>/index.tsv. Exit status 1 when a tool is missing or a verse could not
// be aligned (the message names the poem); with --keep-going the clips that
// could be made are kept and the status is 0, so a build goes on without
// the others (the program then says how many poems it can read).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>
#include <cstdio>
#include <cstring>

#include "voice/readings.h"
#include "voice/voicecore.h"

using namespace voice;

namespace {

constexpr int kRate = 16000; // speech needs no more, and the clips stay small
constexpr int kPerMs = kRate / 1000;
constexpr int kFadeSamples = 4 * kPerMs;

struct Tools {
    QString dic = QStringLiteral("/var/lib/mecab/dic/open-jtalk/naist-jdic");
    QString voiceFile = QStringLiteral("/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice");
};

QByteArray run(const QString &program, const QStringList &args, const QByteArray &input = {})
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted())
        throw std::runtime_error(program.toStdString() + " could not be started");
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(program.toStdString() + " failed: " + p.readAllStandardError().toStdString());
    return p.readAllStandardOutput();
}

const QStringList kRaw = {"-t", "raw", "-e", "signed", "-b", "16", "-c", "1", "-r", QString::number(kRate)};

// Draws a stretch of speech out (or in) to `samples` with sox's WSOLA tempo,
// which keeps the pitch; the result is cut or padded to exactly that length.
QByteArray stretched(const QByteArray &pcm, int samples)
{
    QByteArray out;
    const int have = int(pcm.size() / 2);
    if (have == 0 || samples <= 0)
        return QByteArray(samples * 2, '\0');
    double factor = double(have) / samples;
    if (std::abs(factor - 1.0) < 0.02) {
        out = pcm;
    } else {
        // sox takes tempo factors down to 0.1; a long hold chains two.
        QStringList effects;
        while (factor < 0.1) {
            effects << QStringLiteral("tempo") << QStringLiteral("-s") << QStringLiteral("0.3");
            factor /= 0.3;
        }
        effects << QStringLiteral("tempo") << QStringLiteral("-s") << QString::number(factor, 'f', 4);
        out = run(QStringLiteral("sox"), kRaw + QStringList{"-"} + kRaw + QStringList{"-"} + effects, pcm);
    }
    out.resize(qsizetype(samples) * 2, '\0');
    return out;
}

// The silent closure before a stop after a pause (the t of とま) can last
// a fifth of a second, and a breathy h starts faint; heard, the mora begins
// where the sound rises, so what comes before it is cut to 5 ms. The rise:
// a quarter of the consonant's peak, and at least -46 dBFS.
QByteArray fromOnset(const QByteArray &pcm)
{
    constexpr int kAudible = 164;
    const auto *s = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype n = pcm.size() / 2;
    int peak = 0;
    for (qsizetype i = 0; i < n; ++i)
        peak = std::max(peak, std::abs(int(s[i])));
    const int rise = std::max(peak / 4, kAudible);
    qsizetype onset = 0;
    while (onset < n && std::abs(int(s[onset])) < rise)
        ++onset;
    return pcm.mid(std::max<qsizetype>(0, onset - 5 * kPerMs) * 2);
}

void fade(QByteArray &pcm, bool in)
{
    auto *s = reinterpret_cast<qint16 *>(pcm.data());
    const int n = std::min<int>(kFadeSamples, int(pcm.size() / 2));
    for (int i = 0; i < n; ++i) {
        const int at = in ? i : int(pcm.size() / 2) - 1 - i;
        s[at] = qint16(s[at] * i / n);
    }
}

ClipTimes makeClip(int poem, Half half, const Tools &tools, const QDir &out, const QDir &scratch)
{
    const Verse verse = spokenVerse(poem, half);
    const QString spelled = spelledVerse(poem, half);
    if (verse.isEmpty())
        throw std::runtime_error("poem " + std::to_string(poem) + " has no reading");

    QFile text(scratch.filePath(QStringLiteral("in.txt")));
    if (!text.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the scratch folder");
    text.write(synthesisText(verse, spelled).toUtf8() + '\n');
    text.close();
    const QString wav = scratch.filePath(QStringLiteral("voice.wav"));
    const QString trace = scratch.filePath(QStringLiteral("trace.txt"));
    run(QStringLiteral("open_jtalk"),
        {"-x", tools.dic, "-m", tools.voiceFile, "-ow", wav, "-ot", trace, text.fileName()});
    QFile traceFile(trace);
    if (!traceFile.open(QIODevice::ReadOnly))
        throw std::runtime_error("open_jtalk wrote no trace");
    const QList<MoraSpan> spans = moraSpans(parseTrace(traceFile.readAll()));
    if (spans.size() != verse.size())
        throw std::runtime_error("poem " + std::to_string(poem) + " half " + std::to_string(int(half)) + ": " +
                                 std::to_string(spans.size()) + " morae synthesised for " +
                                 std::to_string(verse.size()) + " read");

    const QByteArray source = run(QStringLiteral("sox"), QStringList{wav} + kRaw + QStringList{"-"});
    const QList<int> targets = moraTargetsMs(verse, spelled);
    QList<int> ends = moraSlotEndsMs(verse, spelled);
    if (half == Half::Shimo)
        ends.last() += kHoldMs; // the reader draws the last syllable out

    ClipTimes times{poem, half, {}, {}};
    QByteArray clip;
    auto piece = [&](int fromMs, int toMs) { return source.mid(qsizetype(fromMs) * kPerMs * 2, qsizetype(toMs - fromMs) * kPerMs * 2); };
    for (qsizetype k = 0; k < verse.size(); ++k) {
        const MoraSpan &m = spans[k];
        const int slot = (ends[k] - targets[k]) * kPerMs;
        // The mora's first sound goes on its tick. The consonant keeps its
        // natural length (cut only when it alone would overfill the slot);
        // the vowel, ん or っ fills the rest.
        QByteArray consonant = fromOnset(piece(m.startMs, m.vowelStartMs));
        consonant.truncate(qsizetype(std::min(int(consonant.size() / 2), slot * 2 / 3)) * 2);
        QByteArray vowel = stretched(piece(m.vowelStartMs, m.endMs), slot - int(consonant.size() / 2));
        QByteArray mora = consonant + vowel;
        fade(mora, true);
        fade(mora, false);
        const qsizetype at = qsizetype(targets[k]) * kPerMs * 2;
        if (clip.size() < at)
            clip.append(QByteArray(at - clip.size(), '\0'));
        clip.truncate(at);
        clip.append(mora);
        times.startMs.append(int(at / 2 / kPerMs));
        times.endMs.append(int(clip.size() / 2 / kPerMs));
    }
    QFile file(out.filePath(QStringLiteral("%1-%2.wav").arg(poem, 3, 10, QChar(u'0')).arg(int(half))));
    if (!file.open(QIODevice::WriteOnly) || file.write(wavFile(clip, kRate)) < 0)
        throw std::runtime_error("cannot write " + file.fileName().toStdString());
    return times;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    Tools tools;
    QList<int> poems;
    QString outDir;
    bool keepGoing = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--poems" && i + 1 < args.size()) {
            for (const QString &n : args[++i].split(u','))
                poems.append(n.toInt());
        } else if (a == u"--dic" && i + 1 < args.size()) {
            tools.dic = args[++i];
        } else if (a == u"--keep-going") {
            keepGoing = true;
        } else if (a == u"--voice" && i + 1 < args.size()) {
            tools.voiceFile = args[++i];
        } else {
            outDir = a;
        }
    }
    if (outDir.isEmpty()) {
        std::fputs("usage: makevoice <out-folder> [--poems N,N,...] [--dic DIR] [--voice FILE] [--keep-going]\n", stderr);
        return 2;
    }
    if (poems.isEmpty())
        for (int p = 1; p <= 100; ++p)
            poems.append(p);
    QDir().mkpath(outDir);
    const QDir out(outDir);
    QElapsedTimer clock;
    clock.start();
    // Each poem on its own worker with its own scratch folder: the work is
    // mostly waiting on open_jtalk and sox.
    struct Result {
        QList<ClipTimes> clips;
        QStringList errors;
    };
    QList<Result> results(poems.size());
    std::atomic<qsizetype> next = 0;
    auto worker = [&] {
        QTemporaryDir scratch;
        for (qsizetype i = next++; i < poems.size(); i = next++) {
            for (Half h : {Half::Kami, Half::Shimo}) {
                try {
                    results[i].clips.append(makeClip(poems[i], h, tools, out, QDir(scratch.path())));
                } catch (const std::exception &e) {
                    results[i].errors.append(QString::fromStdString(e.what()));
                }
            }
        }
    };
    std::vector<std::thread> workers;
    for (int w = 0; w < std::max(1, QThread::idealThreadCount()); ++w)
        workers.emplace_back(worker);
    for (std::thread &t : workers)
        t.join();
    QList<ClipTimes> index;
    int failures = 0;
    for (const Result &r : results) {
        index.append(r.clips);
        for (const QString &e : r.errors)
            std::fprintf(stderr, "makevoice: %s\n", qPrintable(e));
        failures += int(r.errors.size());
    }
    QFile file(out.filePath(QStringLiteral("index.tsv")));
    if (!file.open(QIODevice::WriteOnly) || file.write(writeIndex(index)) < 0) {
        std::fprintf(stderr, "makevoice: cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    std::fprintf(stderr, "makevoice: %lld clips in %lld ms\n", qlonglong(index.size()), qlonglong(clock.elapsed()));
    return failures == 0 || keepGoing ? 0 : 1;
}
