#include "services.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>

namespace platform {
namespace {

class SystemClock final : public Clock {
public:
    QTime utcTimeOfDay() const override { return QDateTime::currentDateTimeUtc().time(); }
    QDate localDate() const override { return QDate::currentDate(); }
    QString shortDateFormat() const override { return QLocale::system().dateFormat(QLocale::ShortFormat); }
};

class NoScreen final : public Screen {
public:
    int primaryHeight() const override { return 0; }
};

class NoBeep final : public Beeper {
public:
    void beep() override {}
};

class SilentPlayer final : public WavePlayer {
public:
    bool open(const QString &) override { return false; }
    void play() override {}
    void close() override {}
};

class CancelInput final : public InputBox {
public:
    QString ask(const QString &, const QString &, const QString &defaultText) override { return defaultText; }
};

class StderrErrors final : public ErrorDisplay {
public:
    void showError(const QString &message) override { qWarning("%s", qUtf8Printable(message)); }
};

Services makeDefaults()
{
    static SystemClock clock;
    static NoScreen screen;
    static NoBeep beeper;
    static CancelInput input;
    static StderrErrors errors;
    Services s;
    s.clock = &clock;
    s.screen = &screen;
    s.beeper = &beeper;
    s.inputBox = &input;
    s.errors = &errors;
    s.makeWavePlayer = [] { return std::make_unique<SilentPlayer>(); };
    s.hasAudioOutput = [] { return false; };
    s.monotonicMs = [] {
        static QElapsedTimer since = [] { QElapsedTimer t; t.start(); return t; }();
        return since.elapsed();
    };
    return s;
}

} // namespace

Services &services()
{
    static Services instance = makeDefaults();
    return instance;
}

ScopedServices::ScopedServices(const Services &replacement)
    : saved_(services())
{
    Services &s = services();
    if (replacement.clock) s.clock = replacement.clock;
    if (replacement.screen) s.screen = replacement.screen;
    if (replacement.beeper) s.beeper = replacement.beeper;
    if (replacement.inputBox) s.inputBox = replacement.inputBox;
    if (replacement.errors) s.errors = replacement.errors;
    if (replacement.makeWavePlayer) s.makeWavePlayer = replacement.makeWavePlayer;
    if (replacement.hasAudioOutput) s.hasAudioOutput = replacement.hasAudioOutput;
    if (replacement.monotonicMs) s.monotonicMs = replacement.monotonicMs;
}

ScopedServices::~ScopedServices()
{
    services() = saved_;
}

int toInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    return value;
}

void guarded(const std::function<void()> &body)
{
    try {
        body();
    } catch (const std::exception &e) {
        services().errors->showError(QString::fromUtf8(e.what()));
    }
}

} // namespace platform
