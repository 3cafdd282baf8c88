#include <QtTest>

#include <cmath>

#include "deck/poemtable.h"
#include "tests/support/flowcheck.h"
#include "tests/support/revealcheck.h"
#include "deck/opening.h"
#include "voice/readings.h"
#include "voice/voicecore.h"

using namespace voice;

// The real clip maker with the real Open JTalk and HTS engine, on a few
// poems: every verse said as read (else makevoice fails), the morae on the
// game's reveal ticks and heard there, the voice flowing through a phrase,
// and the lower verse's end held and dying away.
class tst_Clips : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void onTheTicksAndFlowing();

private:
    QTemporaryDir dir_;
    QList<ClipTimes> clips_;
};

void tst_Clips::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("open_jtalk")).isEmpty() ||
        !QFile::exists(QStringLiteral(KOTOHA_JTALK_VOICE)))
        QSKIP("Open JTalk or the voice is not installed");
    deck::PoemTable.fill();
    QProcess p;
    // 20: a lower verse heard past its spelled end; 2: てふ read ちょう; 96:
    // は opening a word; 3: a lower verse Open JTalk says right in hiragana
    // only; 0: the opening poem, no card, read before a match.
    p.start(QStringLiteral(MAKEVOICE), {dir_.path(), QStringLiteral("--poems"), QStringLiteral("0,2,3,20,96"),
                                        QStringLiteral("--voice"), QStringLiteral(KOTOHA_JTALK_VOICE)});
    QVERIFY(p.waitForFinished(120000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QFile index(dir_.filePath(QStringLiteral("index.tsv")));
    QVERIFY(index.open(QIODevice::ReadOnly));
    clips_ = parseIndex(index.readAll()).value_or(QList<ClipTimes>());
    QCOMPARE(clips_.size(), 10);
}

void tst_Clips::onTheTicksAndFlowing()
{
    Drift drift;
    Flow flow;
    for (const ClipTimes &clip : clips_) {
        const QString name = QStringLiteral("%1-%2.wav").arg(clip.poem, 3, 10, QChar(u'0')).arg(int(clip.half));
        QFile lab(dir_.filePath(name.chopped(3) + QStringLiteral("lab")));
        QVERIFY2(lab.open(QIODevice::ReadOnly), qPrintable(name));
        const QList<Phone> labels = parseLabels(lab.readAll());
        QCOMPARE(moraSpans(labels).size(), clip.startMs.size());
        QVERIFY2(addDrift(drift, clip), qPrintable(name));
        QFile f(dir_.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        int rate = 0;
        const QByteArray pcm = wavSamples(f.readAll(), &rate).value_or(QByteArray());
        QVERIFY2(rate > 0 && pcm.size() / 2 >= qsizetype(clip.endMs.last()) * rate / 1000, qPrintable(name));
        const auto *s = reinterpret_cast<const qint16 *>(pcm.constData());
        for (qsizetype k = 0; k < clip.startMs.size(); ++k) {
            // Voice within the first 100 ms of each mora: nothing shifted into silence.
            double energy = 0;
            const qsizetype from = qsizetype(clip.startMs[k]) * rate / 1000;
            const qsizetype to = std::min(pcm.size() / 2, from + rate / 10);
            for (qsizetype i = from; i < to; ++i)
                energy += double(s[i]) * s[i];
            QVERIFY2(std::sqrt(energy / std::max<qsizetype>(1, to - from)) > 100.0,
                     qPrintable(QStringLiteral("%1 mora %2 is silent").arg(name).arg(k)));
        }
        addFlow(flow, pcm, rate, labels, spokenVerse(clip.poem, clip.half), deck::spelledVerse(clip.poem, clip.half),
                clip.half);
    }
    QVERIFY2(flow.silentShare() < 0.05, qPrintable(QString::number(flow.silentShare())));
    QCOMPARE(flow.abruptStops, 0);
    QVERIFY(flow.phraseEnds >= 10);
    QVERIFY2(flow.worstPhraseGapMs <= 50, qPrintable(QString::number(flow.worstPhraseGapMs)));
    QCOMPARE(flow.heldMs.size(), 5);
    for (int held : flow.heldMs)
        QVERIFY2(held >= 2500, qPrintable(QString::number(held)));
    QCOMPARE(flow.notFading, 0);
    QVERIFY2(drift.over50 == 0, qPrintable(QStringLiteral("%1 morae off by more than 50 ms").arg(drift.over50)));
    QCOMPARE(drift.beyond, 1); // poem 20's う
    QVERIFY(drift.morae > 80);
}

QTEST_GUILESS_MAIN(tst_Clips)
#include "tst_clips.moc"
