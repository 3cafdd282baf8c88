#include "speaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>

#include "platform/services.h"

// Off unless asked for (QT_LOGGING_RULES="kotoha.voice.debug=true"): with
// QT_MESSAGE_PATTERN's %{time boot} it tells when each clip was started, so a
// recording of the sound server can be set against the ticks.
Q_LOGGING_CATEGORY(lcVoice, "kotoha.voice", QtInfoMsg)

namespace voice {

namespace {

constexpr int kClipCount = 2 * deck::kPoemCount;

QString clipName(int poem, Half half)
{
    return QStringLiteral("%1-%2.wav").arg(poem, 3, 10, QChar(u'0')).arg(int(half));
}

struct Loaded {
    QString folder;
    QHash<int, ClipTimes> clips; // key poem * 2 + half
};

Loaded load(const QString &folder)
{
    Loaded l;
    QFile index(QDir(folder).filePath(QStringLiteral("index.tsv")));
    if (!index.open(QIODevice::ReadOnly))
        return l;
    const std::optional<QList<ClipTimes>> clips = parseIndex(index.readAll());
    if (!clips)
        return l;
    for (const ClipTimes &c : *clips)
        if (QFile::exists(QDir(folder).filePath(clipName(c.poem, c.half))))
            l.clips.insert(c.poem * 2 + int(c.half) - 1, c);
    if (!l.clips.isEmpty())
        l.folder = QDir(folder).absolutePath();
    return l;
}

// The folders are looked at once: the clips do not come and go while the
// program runs.
const Loaded &loaded()
{
    static const Loaded found = [] {
        QStringList candidates;
        const QString env = qEnvironmentVariable("KOTOHA_READINGS");
        if (!env.isEmpty())
            candidates << env;
        candidates << QDir::current().filePath(QStringLiteral("readings"));
        if (QCoreApplication::instance()) {
            const QDir app(QCoreApplication::applicationDirPath());
            candidates << app.filePath(QStringLiteral("readings"))
                       << app.filePath(QStringLiteral("../share/kotoha/readings"));
        }
        for (const QString &c : candidates) {
            Loaded l = load(c);
            if (!l.folder.isEmpty())
                return l;
        }
        return Loaded{};
    }();
    return found;
}

} // namespace

QString clipFolder()
{
    return loaded().folder;
}

Status status(const platform::Services &services)
{
    const Loaded &l = loaded();
    if (l.folder.isEmpty())
        return {false, QStringLiteral("読み上げ音声なし"),
                QStringLiteral("読み上げの音声がありません。Open JTalk と音声を入れてから作り直してください。")};
    if (l.clips.size() < kClipCount)
        return {false, QStringLiteral("読み上げ音声が不足"),
                QStringLiteral("読み上げの音声が %1 首分しかありません。").arg(l.clips.size() / 2)};
    const auto &hasOutput = services.hasAudioOutput;
    if (!hasOutput || !hasOutput())
        return {false, QStringLiteral("音の出力先なし"), QStringLiteral("音を出す装置が見つかりません。")};
    return {true, {}, {}};
}

Options &options()
{
    static Options o;
    return o;
}

const ClipTimes *clipTimes(int poem, Half half)
{
    const auto &clips = loaded().clips;
    const auto it = clips.constFind(poem * 2 + int(half) - 1);
    return it == clips.constEnd() ? nullptr : &*it;
}

Reader::Reader(const platform::Services &services) : services_(services) {}

Reader::~Reader()
{
    stop();
}

bool Reader::prepare(int poem)
{
    stop();
    if (!status(services_).usable || !clipTimes(poem, Half::Kami) || !clipTimes(poem, Half::Shimo))
        return false;
    const auto &make = services_.makeWavePlayer;
    if (!make)
        return false;
    const QDir folder(clipFolder());
    kami_ = make();
    shimo_ = make();
    if (!kami_ || !shimo_ || !kami_->open(folder.filePath(clipName(poem, Half::Kami))) ||
        !shimo_->open(folder.filePath(clipName(poem, Half::Shimo)))) {
        stop();
        return false;
    }
    poem_ = poem;
    return true;
}

void Reader::speak(Half half)
{
    platform::WavePlayer *player = half == Half::Kami ? kami_.get() : shimo_.get();
    if (!player)
        return;
    qCDebug(lcVoice, "start %d-%d", poem_, int(half)); // the tick's moment, before play() takes any
    player->play();
}

void Reader::stop()
{
    for (auto *p : {&kami_, &shimo_}) {
        if (*p)
            (*p)->close();
        p->reset();
    }
    poem_ = 0;
}

} // namespace voice
