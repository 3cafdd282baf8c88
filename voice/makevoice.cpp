// Makes the reading clips: each half-verse of each poem spoken by Open JTalk
// from its kana, checked phoneme by phoneme against the reading, retimed so
// that every mora begins as the game reveals its kana, and synthesised at
// those lengths by the HTS engine; plus the index of mora times the program
// reads beside them.
//
//   makevoice <out-folder> [--poems N,N,...] [--dic DIR] [--voice FILE] [--keep-going]
//
// Writes <out>/NNN-1.wav (upper verse), <out>/NNN-2.wav (lower verse), the
// labels each was synthesised from (NNN-1.lab, NNN-2.lab) and <out>/index.tsv.
// Poem 0 is the opening poem a match is read from (000-1, 000-2); without
// --poems it is made with the hundred.
// Exit status 1 when a tool is missing, a verse could not be made or a verse
// is said otherwise than its reading (the message names the poem, the mora
// and what was said); --keep-going keeps the clips that could be made and
// exits 0 unless a verse was said wrong, so a build without the voice goes on.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <HTS_engine.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>
#include <cstdio>
#include <cstring>

#include "deck/opening.h"
#include "voice/readings.h"
#include "voice/voicecore.h"

using namespace voice;

namespace {

constexpr int kRate = 16000; // speech needs no more, and the clips stay small
constexpr int kPerMs = kRate / 1000;
constexpr int kLeadMs = 100;      // silence the engine starts from, cut from the clip
constexpr int kFadeMs = 400;      // a verse's very end fades over this
constexpr int kVoiceFallMs = 100; // the voice's own end, faded out before it

struct Tools {
    QString dic = QStringLiteral("/var/lib/mecab/dic/open-jtalk/naist-jdic");
    QString voiceFile = QStringLiteral("/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice");
};

// A verse said otherwise than its reading: the build must stop.
struct SaidWrong : std::runtime_error {
    using std::runtime_error::runtime_error;
};

QByteArray run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted())
        throw std::runtime_error(program.toStdString() + " could not be started");
    p.closeWriteChannel();
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(program.toStdString() + " failed: " + p.readAllStandardError().toStdString());
    return p.readAllStandardOutput();
}

// One engine per worker: the library keeps its state in the struct.
class Engine {
public:
    explicit Engine(const QString &voiceFile)
    {
        HTS_Engine_initialize(&engine_);
        QByteArray path = QFile::encodeName(voiceFile);
        char *voices[] = {path.data()};
        if (HTS_Engine_load(&engine_, voices, 1) != TRUE)
            throw std::runtime_error("the HTS engine cannot load " + voiceFile.toStdString());
    }
    ~Engine() { HTS_Engine_clear(&engine_); }
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // The voice's own rate: a whole multiple of kRate, or the clips cannot be made.
    int rate()
    {
        const int r = int(HTS_Engine_get_sampling_frequency(&engine_));
        if (r < kRate || r % kRate != 0)
            throw std::runtime_error("the voice speaks at " + std::to_string(r) + " Hz, not a multiple of 16000");
        return r;
    }

    // Speech for labels with times, at the voice's own rate. Given a
    // phoneme's length alone, the engine shares it out among the phoneme's
    // states by their variances, which stretches a vowel's fading end most:
    // a long vowel died away long before its time. Here every state keeps
    // its own length and the loudest (highest mean c0 of the spectrum
    // stream) takes what is over.
    std::vector<double> speak(const QByteArray &labels)
    {
        QList<QByteArray> lines = labels.split('\n');
        lines.removeAll(QByteArray());
        std::vector<char *> pointers;
        for (QByteArray &l : lines)
            pointers.push_back(l.data());
        HTS_Engine_set_phoneme_alignment_flag(&engine_, FALSE);
        if (HTS_Engine_generate_state_sequence_from_strings(&engine_, pointers.data(), pointers.size()) != TRUE)
            throw std::runtime_error("the HTS engine cannot read the labels");
        const size_t states = HTS_Engine_get_total_state(&engine_);
        std::vector<size_t> natural(states);
        for (size_t i = 0; i < states; ++i)
            natural[i] = HTS_Engine_get_state_duration(&engine_, i);
        HTS_Engine_refresh(&engine_);

        HTS_Engine_set_phoneme_alignment_flag(&engine_, TRUE);
        if (HTS_Engine_generate_state_sequence_from_strings(&engine_, pointers.data(), pointers.size()) != TRUE)
            throw std::runtime_error("the HTS engine cannot read the labels");
        const size_t perPhone = HTS_Engine_get_nstate(&engine_);
        size_t *duration = engine_.sss.duration;
        for (size_t first = 0; first + perPhone <= states; first += perPhone) {
            size_t given = 0, own = 0;
            for (size_t s = first; s < first + perPhone; ++s) {
                given += duration[s];
                own += natural[s];
            }
            if (given <= own)
                continue;
            size_t loudest = first;
            for (size_t s = first; s < first + perPhone; ++s) {
                duration[s] = natural[s];
                if (HTS_Engine_get_state_mean(&engine_, 0, s, 0) > HTS_Engine_get_state_mean(&engine_, 0, loudest, 0))
                    loudest = s;
            }
            duration[loudest] += given - own;
        }
        if (HTS_Engine_generate_parameter_sequence(&engine_) != TRUE ||
            HTS_Engine_generate_sample_sequence(&engine_) != TRUE)
            throw std::runtime_error("the HTS engine could not synthesise");
        std::vector<double> out(HTS_Engine_get_nsamples(&engine_));
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = HTS_Engine_get_generated_speech(&engine_, i);
        HTS_Engine_refresh(&engine_);
        return out;
    }

private:
    HTS_Engine engine_;
};

// 16-bit samples at kRate from speech at `rate` (a whole multiple of it):
// a windowed-sinc low-pass just under the new Nyquist frequency, then every
// n-th sample.
QByteArray downsampled(const std::vector<double> &in, int rate)
{
    const int step = rate / kRate;
    constexpr int kHalfTaps = 48;
    std::vector<double> taps(2 * kHalfTaps + 1);
    const double cutoff = 0.45 / step; // of the input rate
    double sum = 0;
    for (int i = -kHalfTaps; i <= kHalfTaps; ++i) {
        const double x = 2 * cutoff * i;
        const double sinc = i == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        const double blackman = 0.42 + 0.5 * std::cos(std::numbers::pi * i / kHalfTaps) +
                                0.08 * std::cos(2 * std::numbers::pi * i / kHalfTaps);
        taps[i + kHalfTaps] = sinc * blackman;
        sum += taps[i + kHalfTaps];
    }
    const qsizetype n = qsizetype(in.size()) / step;
    QByteArray out(n * 2, '\0');
    auto *s = reinterpret_cast<qint16 *>(out.data());
    for (qsizetype j = 0; j < n; ++j) {
        double acc = 0;
        for (int i = -kHalfTaps; i <= kHalfTaps; ++i) {
            const qsizetype at = j * step + i;
            if (at >= 0 && at < qsizetype(in.size()))
                acc += in[size_t(at)] * taps[i + kHalfTaps];
        }
        s[j] = qint16(std::clamp(std::lround(acc / sum), -32768L, 32767L));
    }
    return out;
}

// The last syllable dies away: from `fromMs` it falls `dbPerSecond`, and
// over the last kFadeMs before `toMs` a half cosine takes it to nothing. The
// voice's own fall into silence comes after `toMs`: alone it drops 20 dB
// within 10 ms.
void fadeOut(QByteArray &pcm, int fromMs, int toMs, double dbPerSecond)
{
    auto *s = reinterpret_cast<qint16 *>(pcm.data());
    const qsizetype n = pcm.size() / 2;
    const qsizetype from = qsizetype(fromMs) * kPerMs;
    const qsizetype cosineFrom = qsizetype(toMs - kFadeMs) * kPerMs;
    for (qsizetype i = std::max<qsizetype>(0, from); i < n; ++i) {
        const double falling = std::pow(10.0, -dbPerSecond * double(i - from) / kRate / 20);
        const double t = std::clamp(double(i - cosineFrom) / (kFadeMs * kPerMs), 0.0, 1.0);
        s[i] = qint16(s[i] * falling * 0.5 * (1 + std::cos(std::numbers::pi * t)));
    }
}

ClipTimes makeClip(int poem, Half half, const Tools &tools, Engine &engine, const QDir &out, const QDir &scratch)
{
    const Verse verse = spokenVerse(poem, half);
    const QString spelled = deck::spelledVerse(poem, half);
    const std::string name = (poem == deck::kOpeningPoem ? std::string("the opening poem")
                                                         : "poem " + std::to_string(poem)) +
                             (half == Half::Kami ? " upper verse" : " lower verse");
    if (verse.isEmpty())
        throw std::runtime_error(name + " has no reading");

    // Katakana first; hiragana where the dictionary joins katakana. The
    // build stops when neither is said as the reading.
    QList<Phone> said;
    std::string faults;
    for (Script script : {Script::Katakana, Script::Hiragana}) {
        QFile text(scratch.filePath(QStringLiteral("in.txt")));
        if (!text.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the scratch folder");
        const QString input = synthesisText(verse, spelled, script);
        text.write(input.toUtf8() + '\n');
        text.close();
        const QString trace = scratch.filePath(QStringLiteral("trace.txt"));
        run(QStringLiteral("open_jtalk"), {"-x", tools.dic, "-m", tools.voiceFile, "-ow",
                                           scratch.filePath(QStringLiteral("voice.wav")), "-ot", trace, text.fileName()});
        QFile traceFile(trace);
        if (!traceFile.open(QIODevice::ReadOnly))
            throw std::runtime_error("open_jtalk wrote no trace");
        said = parseTrace(traceFile.readAll());
        const QString fault = sayingFault(verse, said);
        if (fault.isEmpty()) {
            faults.clear();
            break;
        }
        faults += (faults.empty() ? "" : "; ") + input.toStdString() + ": " + fault.toStdString();
    }
    if (!faults.empty())
        throw SaidWrong(name + ", " + faults);

    const QList<Phone> labels = retimed(said, verse, spelled, half, kLeadMs);
    QByteArray clip = downsampled(engine.speak(labelText(labels, kLeadMs)), engine.rate())
                          .mid(qsizetype(kLeadMs) * kPerMs * 2);
    const QList<MoraPhones> morae = moraPhones(labels);
    ClipTimes times{poem, half, {}, {}};
    for (const MoraPhones &m : morae) {
        times.startMs.append(labels[m.first].startMs);
        times.endMs.append(labels[m.last].endMs);
    }
    clip.truncate(qsizetype(times.endMs.last()) * kPerMs * 2);
    // The lower verse's last syllable holds a moment, then dies away, heard
    // for a good 2.5 s even where the voice says it softly (-35 dBFS).
    const int faded = times.endMs.last() - kVoiceFallMs;
    if (half == Half::Shimo)
        fadeOut(clip, times.startMs.last() + 500, faded, 5.0);
    else
        fadeOut(clip, faded - kFadeMs, faded, 0.0);

    const QString stem = QStringLiteral("%1-%2").arg(poem, 3, 10, QChar(u'0')).arg(int(half));
    QFile wav(out.filePath(stem + QStringLiteral(".wav")));
    QFile lab(out.filePath(stem + QStringLiteral(".lab")));
    if (!wav.open(QIODevice::WriteOnly) || wav.write(wavFile(clip, kRate)) < 0 || !lab.open(QIODevice::WriteOnly) ||
        lab.write(labelText(labels, 0)) < 0)
        throw std::runtime_error("cannot write " + stem.toStdString());
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
        for (int p = deck::kOpeningPoem; p <= deck::kPoemCount; ++p)
            poems.append(p);
    QDir().mkpath(outDir);
    const QDir out(outDir);
    QElapsedTimer clock;
    clock.start();
    // Each poem on its own worker, with its own scratch folder and engine.
    struct Result {
        QList<ClipTimes> clips;
        QStringList errors;
        int saidWrong = 0;
    };
    QList<Result> results(poems.size());
    std::atomic<qsizetype> next = 0;
    std::atomic<bool> noEngine = false;
    auto worker = [&] {
        QTemporaryDir scratch;
        std::optional<Engine> engine;
        try {
            engine.emplace(tools.voiceFile);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "makevoice: %s\n", e.what());
            noEngine = true;
            return;
        }
        for (qsizetype i = next++; i < poems.size(); i = next++) {
            for (Half h : {Half::Kami, Half::Shimo}) {
                try {
                    results[i].clips.append(makeClip(poems[i], h, tools, *engine, out, QDir(scratch.path())));
                } catch (const SaidWrong &e) {
                    results[i].errors.append(QStringLiteral("said wrong: ") + QString::fromStdString(e.what()));
                    ++results[i].saidWrong;
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
    int failures = noEngine ? 1 : 0;
    int saidWrong = 0;
    for (const Result &r : results) {
        index.append(r.clips);
        for (const QString &e : r.errors)
            std::fprintf(stderr, "makevoice: %s\n", qPrintable(e));
        failures += int(r.errors.size());
        saidWrong += r.saidWrong;
    }
    QFile file(out.filePath(QStringLiteral("index.tsv")));
    if (!file.open(QIODevice::WriteOnly) || file.write(writeIndex(index)) < 0) {
        std::fprintf(stderr, "makevoice: cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    std::fprintf(stderr, "makevoice: %lld clips in %lld ms\n", qlonglong(index.size()), qlonglong(clock.elapsed()));
    if (saidWrong > 0)
        std::fprintf(stderr, "makevoice: %d verses said otherwise than their readings\n", saidWrong);
    return saidWrong == 0 && (failures == 0 || keepGoing) ? 0 : 1;
}
