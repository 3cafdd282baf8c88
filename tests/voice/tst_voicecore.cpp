#include <QtTest>

#include "voice/voicecore.h"

using namespace voice;

Q_DECLARE_METATYPE(voice::Verse)

namespace {

// A verse from "kana:end kana:end ...".
Verse verseOf(const char *text)
{
    Verse v;
    for (const QString &item : QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype colon = item.indexOf(u':');
        v.append({item.left(colon), item.mid(colon + 1).toInt()});
    }
    return v;
}

// Labels as open_jtalk's trace writes them (times in 100 ns), around the
// text analysis it prints first.
const char kTrace[] = "[Text analysis result]\n"
                      "あきの,名詞,固有名詞,人名,名,*,*,あきの,アキノ,アキノ,1/3,C1,-1\n"
                      "\n"
                      "[Output label]\n"
                      "0 3950000 xx^xx-sil+a=k/A:xx+xx+xx/B:xx-xx_xx\n"
                      "3950000 4800000 xx^sil-a+k=i/A:0+1+5/B:xx-xx_xx\n"
                      "4800000 5450000 sil^a-k+i=cl/A:1+2+4/B:xx-xx_xx\n"
                      "5450000 5900000 a^k-i+cl=t/A:1+2+4/B:xx-xx_xx\n"
                      "5900000 6500000 k^i-cl+t=s/A:2+3+3/B:xx-xx_xx\n"
                      "6500000 7150000 i^cl-t+s=U/A:2+3+3/B:xx-xx_xx\n"
                      "7150000 7850000 cl^t-s+U=pau/A:3+4+2/B:xx-xx_xx\n"
                      "7850000 8550000 t^s-U+pau=ky/A:3+4+2/B:xx-xx_xx\n"
                      "8550000 9100000 s^U-pau+ky=o/A:xx+xx+xx/B:xx-xx_xx\n"
                      "9100000 10500000 U^pau-ky+o=N/A:4+5+1/B:xx-xx_xx\n"
                      "10500000 14150000 pau^ky-o+N=sil/A:4+5+1/B:xx-xx_xx\n"
                      "14150000 15400000 ky^o-N+sil=xx/A:-3+1+4/B:xx-xx_xx\n"
                      "15400000 16100000 o^N-sil+xx=xx/A:-3+1+4/B:xx-xx_xx\n"
                      "\n"
                      "[Global parameter]\n"
                      "Sampring frequency                     ->    48000(Hz)\n";

// Phones as said, from "sil h a n a pau ..." (no times, no context).
QList<Phone> saidAs(const char *names)
{
    QList<Phone> phones;
    for (const QString &n : QString::fromLatin1(names).split(u' ', Qt::SkipEmptyParts))
        phones.append({n, 0, 0, {}});
    return phones;
}

} // namespace

class tst_VoiceCore : public QObject {
    Q_OBJECT
private slots:
    void traceToMorae();
    void targets_data();
    void targets();
    void synthesisText_data();
    void synthesisText();
    void saying_data();
    void saying();
    void retimedOnTheTicks();
    void indexRoundTrip();
    void indexSkipsBadLines_data();
    void indexSkipsBadLines();
    void decidingHeard_data();
    void decidingHeard();
    void wavRoundTripAndRejects();
};

// あ, き, っ, つ (devoiced), a pause, きょ, ん: the pause belongs to no mora,
// ky+o makes one, and っ and ん close one alone.
void tst_VoiceCore::traceToMorae()
{
    const QList<Phone> phones = parseTrace(kTrace);
    QCOMPARE(phones.size(), 13);
    QCOMPARE(phones.first().name, u"sil"_qs);
    QCOMPARE(phones[9].name, u"ky"_qs);
    QCOMPARE(phones[9].startMs, 910);
    QCOMPARE(phones[9].endMs, 1050);

    const QList<MoraSpan> spans = moraSpans(phones);
    QList<QList<int>> got;
    for (const MoraSpan &m : spans)
        got.append({m.startMs, m.vowelStartMs, m.endMs});
    const QList<QList<int>> expected = {
        {395, 395, 480},   // a
        {480, 545, 590},   // k i
        {590, 590, 650},   // cl
        {650, 785, 855},   // t s U: the consonants open it, the devoiced vowel closes it
        {910, 1050, 1415}, // ky o, after the pause
        {1415, 1415, 1540} // N
    };
    QCOMPARE(got, expected);
}

void tst_VoiceCore::targets_data()
{
    QTest::addColumn<Verse>("verse");
    QTest::addColumn<QString>("spelled");
    QTest::addColumn<QList<int>>("starts");

    // Each kana is shown over two 150 ms ticks; a phrase space takes its own
    // two ticks, and the mora after it waits for them.
    QTest::newRow("phrase space") << verseOf("あ:1 き:2 か:4 り:5") << u"あき　かり"_qs << QList<int>{0, 300, 900, 1200};
    // ちょ is revealed with て, う with ふ.
    QTest::newRow("historical spelling") << verseOf("す:1 ちょ:2 う:3") << u"すてふ"_qs << QList<int>{0, 300, 600};
    // Heard past a verse the table cut short: it follows at a kana's pace.
    QTest::newRow("past the spelled end") << verseOf("お:1 も:2 う:2") << u"おも　　"_qs << QList<int>{0, 300, 600};
    // A mora with no kana of its own inside the verse shares the slot before.
    QTest::newRow("no kana of its own") << verseOf("あ:1 ー:1 い:2") << u"あい"_qs << QList<int>{0, 150, 300};
    QTest::newRow("leading space") << verseOf("あ:2") << u"　あ"_qs << QList<int>{300};
}

void tst_VoiceCore::targets()
{
    QFETCH(Verse, verse);
    QFETCH(QString, spelled);
    QFETCH(QList<int>, starts);
    QCOMPARE(moraTargetsMs(verse, spelled), starts);
}

void tst_VoiceCore::synthesisText_data()
{
    QTest::addColumn<Verse>("verse");
    QTest::addColumn<QString>("spelled");
    QTest::addColumn<int>("script");
    QTest::addColumn<QString>("text");

    QTest::newRow("phrases, the fill left out") << verseOf("は:1 る:2 な:4 つ:5") << u"はる　なつ　"_qs
                                                << int(Script::Katakana) << u"ハル、ナツ"_qs;
    QTest::newRow("small kana") << verseOf("ちょ:2 う:3") << u"てふ"_qs << int(Script::Katakana) << u"チョウ"_qs;
    // A mora heard past the spelled end belongs to the phrase before.
    QTest::newRow("no comma before what is not spelled")
        << verseOf("お:1 も:2 う:2") << u"おも　　"_qs << int(Script::Katakana) << u"オモウ"_qs;
    QTest::newRow("hiragana") << verseOf("し:1 よ:2 お:4") << u"しよ　を"_qs << int(Script::Hiragana)
                              << u"しよ、お"_qs;
}

void tst_VoiceCore::synthesisText()
{
    QFETCH(Verse, verse);
    QFETCH(QString, spelled);
    QFETCH(int, script);
    QFETCH(QString, text);
    QCOMPARE(voice::synthesisText(verse, spelled, Script(script)), text);
}

void tst_VoiceCore::saying_data()
{
    QTest::addColumn<Verse>("verse");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("fault");

    const Verse hanasasou = verseOf("は:1 な:2 さ:3 そ:4 う:5");
    QTest::newRow("as read, long o, phrase pause") << hanasasou << u"sil h a n a s a s o o pau sil"_qs << QString();
    QTest::newRow("は said as the particle") << hanasasou << u"sil w a n a s a s o o sil"_qs
                                             << u"mora 1 (は) said w a"_qs;
    QTest::newRow("う said as written") << hanasasou << u"sil h a n a s a s o u sil"_qs << QString();
    QTest::newRow("う said as e") << hanasasou << u"sil h a n a s a s o e sil"_qs << u"mora 5 (う) said e"_qs;
    QTest::newRow("a small っ where none is") << verseOf("ま:1 つ:2 と:3") << u"sil m a cl t o sil"_qs
                                               << u"mora 2 (つ) said cl"_qs;
    QTest::newRow("two kana said as one") << verseOf("し:1 よ:2 お:3") << u"sil sh o o sil"_qs
                                          << u"2 morae said for 3: sh o | o"_qs;
    QTest::newRow("devoiced, palatal, ん, っ") << verseOf("つ:1 きょ:3 ん:4 っ:5 ぢ:6") << u"sil ts U ky o N cl j i sil"_qs
                                                << QString();
    QTest::newRow("ぢ is not di") << verseOf("ぢ:1") << u"sil d i sil"_qs << u"mora 1 (ぢ) said d i"_qs;
}

void tst_VoiceCore::saying()
{
    QFETCH(Verse, verse);
    QFETCH(QString, said);
    QFETCH(QString, fault);
    QCOMPARE(sayingFault(verse, saidAs(said.toLatin1().constData())), fault);
}

// あ き っ つ (t s U, devoiced) 、きょ ん as the lower verse: each mora starts on its
// tick, its last phone lasts until the next, the pause is gone, and the
// contexts name the new neighbours.
void tst_VoiceCore::retimedOnTheTicks()
{
    const Verse verse = verseOf("あ:1 き:2 っ:3 つ:4 きょ:7 ん:8");
    const QList<Phone> out = retimed(parseTrace(kTrace), verse, u"あきっつ　きよん"_qs, Half::Shimo, 100);
    QStringList names;
    for (const Phone &p : out) {
        names.append(p.name);
        QCOMPARE(p.startMs % kFrameMs, 0);
        QCOMPARE(p.endMs % kFrameMs, 0);
        QVERIFY(p.endMs > p.startMs);
    }
    QCOMPARE(names.join(u' '), u"sil a k i cl t s u ky o N sil"_qs);
    const QList<int> ticks = {0, 300, 600, 900, 1500, 2100, 2100 + kHoldMs};
    const QList<MoraPhones> morae = moraPhones(out);
    QCOMPARE(morae.size(), 6);
    for (qsizetype k = 0; k < morae.size(); ++k) {
        QCOMPARE(out[morae[k].first].startMs, ticks[k]);
        QCOMPARE(out[morae[k].last].endMs, ticks[k + 1]);
    }
    QCOMPARE(out.first().startMs, -100);
    QCOMPARE(out[6].endMs - out[6].startMs, 70); // s keeps its own length
    QCOMPARE(out[8].endMs - out[8].startMs, 40); // ky: a stop's closure is kept short
    QVERIFY(out[5].label.startsWith("i^cl-t+s=u/A:"));
    QVERIFY(out[9].label.startsWith("u^ky-o+N=sil/A:"));

    // As the engine reads them, 100 ms later; nothing before the clip's start.
    const QList<Phone> back = parseLabels(labelText(out, 0));
    QCOMPARE(back.size(), out.size());
    QCOMPARE(back.first().startMs, 0);
    QCOMPARE(back[5].label, out[5].label);
    QCOMPARE(parseLabels(labelText(out, 100))[5].startMs, out[5].startMs + 100);
}

void tst_VoiceCore::indexRoundTrip()
{
    // Poem 0: the opening poem.
    const QList<ClipTimes> clips = {{0, Half::Shimo, {0, 300}, {300, 3500}},
                                    {1, Half::Kami, {0, 300, 900}, {280, 600, 1150}},
                                    {100, Half::Shimo, {0}, {1500}}};
    const auto back = parseIndex(writeIndex(clips));
    QVERIFY(back);
    QCOMPARE(*back, clips);
}

void tst_VoiceCore::indexSkipsBadLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("poem -1") << QByteArray("-1\t1\t0-300");
    QTest::newRow("poem 101") << QByteArray("101\t1\t0-300");
    QTest::newRow("half 3") << QByteArray("5\t3\t0-300");
    QTest::newRow("end before start") << QByteArray("5\t1\t300-0");
    QTest::newRow("overlapping morae") << QByteArray("5\t1\t0-300,200-400");
    QTest::newRow("not a number") << QByteArray("5\t1\t0-x");
    QTest::newRow("missing field") << QByteArray("5\t0-300");
}

void tst_VoiceCore::indexSkipsBadLines()
{
    QFETCH(QByteArray, line);
    QVERIFY(!parseIndex(line));
    const auto kept = parseIndex(line + "\n7\t2\t0-300\n");
    QVERIFY(kept);
    QCOMPARE(kept->size(), 1);
    QCOMPARE(kept->first().poem, 7);
}

void tst_VoiceCore::decidingHeard_data()
{
    QTest::addColumn<int>("morae");
    QTest::addColumn<int>("heard"); // -1: none
    QTest::addColumn<qint64>("answerMs");
    QTest::addColumn<qint64>("after");

    // Clip: three morae ending at 300, 600 and 1150 ms; the voice starts
    // 1000 ms after the question.
    QTest::newRow("one mora") << 1 << 300 << qint64(2000) << qint64(700);
    QTest::newRow("three morae") << 3 << 1150 << qint64(2000) << qint64(-150);
    QTest::newRow("more than the clip holds") << 4 << -1 << qint64(0) << qint64(0);
    QTest::newRow("none") << 0 << -1 << qint64(0) << qint64(0);
}

void tst_VoiceCore::decidingHeard()
{
    QFETCH(int, morae);
    QFETCH(int, heard);
    QFETCH(qint64, answerMs);
    QFETCH(qint64, after);
    const ClipTimes clip{3, Half::Kami, {0, 300, 900}, {300, 600, 1150}};
    const std::optional<int> got = decidingHeardMs(clip, morae);
    QCOMPARE(got.value_or(-1), heard);
    if (got)
        QCOMPARE(msAfterDecidingHeard(answerMs, 1000, *got), after);
}

void tst_VoiceCore::wavRoundTripAndRejects()
{
    QByteArray pcm;
    for (qint16 s : {0, 1000, -1000, 32767})
        pcm.append(reinterpret_cast<const char *>(&s), 2);
    const QByteArray file = wavFile(pcm, 16000);
    QCOMPARE(file.size(), 44 + pcm.size());
    int rate = 0;
    QCOMPARE(wavSamples(file, &rate).value_or(QByteArray()), pcm);
    QCOMPARE(rate, 16000);

    QByteArray stereo = file;
    stereo[22] = 2;
    QVERIFY(!wavSamples(stereo));
    QVERIFY(!wavSamples(file.left(file.size() - 2))); // data shorter than its header says
    QVERIFY(!wavSamples(QByteArray("RIFF")));
}

QTEST_APPLESS_MAIN(tst_VoiceCore)
#include "tst_voicecore.moc"
