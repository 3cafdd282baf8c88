#include <QtTest>

#include "platform/services.h"
#include "platform/ui/desktop.h"

using namespace platform;

// The desktop's players come from the sound module, which the program loads
// at its first sound and not before.
class tst_Sound : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::installDesktopServices(); }
    void theModuleIsLoadedAtTheFirstPlayerAndOpensRealFilesOnly();
};

namespace {
bool mapped(const char *name)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}
} // namespace

void tst_Sound::theModuleIsLoadedAtTheFirstPlayerAndOpensRealFilesOnly()
{
    QVERIFY(!mapped("libQt6Multimedia"));
    QVERIFY(!mapped("kotoha_sound"));

    std::unique_ptr<WavePlayer> player = services().makeWavePlayer();
    QVERIFY(player);
    QVERIFY(mapped("kotoha_sound"));
    QVERIFY(player->open(QStringLiteral(KOTOHA_PUSH_WAV)));
    player->play(); // silent without a device, and it must return at once
    QVERIFY(!player->open(QStringLiteral("no-such-sound.wav")));
    player->close();
}

QTEST_MAIN(tst_Sound)
#include "tst_sound.moc"
