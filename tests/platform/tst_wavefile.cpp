#include <QtTest>

#include "platform/wavefile.h"

using platform::readWave;

// The sound module's reader of the wave files in the program's folder.
class tst_WaveFile : public QObject {
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
};

namespace {
QByteArray le(quint32 v, int bytes)
{
    QByteArray b;
    for (int i = 0; i < bytes; ++i)
        b += char((v >> (8 * i)) & 0xff);
    return b;
}
QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray c = QByteArray(id) + le(body.size(), 4) + body;
    return body.size() % 2 ? c + '\0' : c;
}
QByteArray fmt(int format, int channels, int rate, int bits)
{
    const int frame = channels * bits / 8;
    return chunk("fmt ", le(format, 2) + le(channels, 2) + le(rate, 4) + le(rate * frame, 4) + le(frame, 2) + le(bits, 2));
}
QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + chunks;
}
} // namespace

void tst_WaveFile::reads_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("rate"); // 0: refused
    QTest::addColumn<QByteArray>("pcm");
    const QByteArray four("\x01\x02\x03\x04", 4);
    QTest::newRow("16-bit mono") << riff(fmt(1, 1, 16000, 16) + chunk("data", four)) << 16000 << four;
    QTest::newRow("a list chunk of odd size before the data is skipped with its pad byte")
        << riff(fmt(1, 1, 22050, 16) + chunk("LIST", "abc") + chunk("data", four)) << 22050 << four;
    QTest::newRow("a half frame at the end is left out")
        << riff(fmt(1, 2, 44100, 16) + chunk("data", four + "\x05\x06")) << 44100 << four;
    QTest::newRow("8-bit stereo") << riff(fmt(1, 2, 8000, 8) + chunk("data", four)) << 8000 << four;
    QTest::newRow("data that runs past the end")
        << riff(fmt(1, 1, 16000, 16)) + "data" + le(100, 4) + four << 0 << QByteArray();
    QTest::newRow("data before its format") << riff(chunk("data", four) + fmt(1, 1, 16000, 16)) << 0 << QByteArray();
    QTest::newRow("compressed (format 2)") << riff(fmt(2, 1, 16000, 16) + chunk("data", four)) << 0 << QByteArray();
    QTest::newRow("24 bits") << riff(fmt(1, 1, 16000, 24) + chunk("data", four)) << 0 << QByteArray();
    QTest::newRow("six channels") << riff(fmt(1, 6, 16000, 16) + chunk("data", four)) << 0 << QByteArray();
    QTest::newRow("no data chunk") << riff(fmt(1, 1, 16000, 16)) << 0 << QByteArray();
    QTest::newRow("not RIFF") << QByteArray("RIFX") + riff(fmt(1, 1, 16000, 16)).mid(4) << 0 << QByteArray();
    QTest::newRow("header cut short") << QByteArray("RIFF\0\0\0\0WAV", 11) << 0 << QByteArray();
}

void tst_WaveFile::reads()
{
    QFETCH(QByteArray, file);
    QFETCH(int, rate);
    QFETCH(QByteArray, pcm);
    const std::optional<platform::WaveData> wave = readWave(file);
    QCOMPARE(wave.has_value(), rate != 0);
    if (wave) {
        QCOMPARE(wave->sampleRate, rate);
        QCOMPARE(wave->pcm, pcm);
    }
}

QTEST_GUILESS_MAIN(tst_WaveFile)
#include "tst_wavefile.moc"
