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

class SteadyClock final : public MonotonicClock {
public:
    SteadyClock() { timer_.start(); }
    qint64 elapsedMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
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

// Without a desktop nobody can answer: every question is answered no.
class LoggedMessages final : public Messages {
public:
    void inform(const QString &message) override { qInfo("%s", qUtf8Printable(message)); }
    bool askYesNo(const QString &message) override
    {
        qInfo("%s", qUtf8Printable(message));
        return false;
    }
};

Services makeDefaults()
{
    static SystemClock clock;
    static NoScreen screen;
    static NoBeep beeper;
    static CancelInput input;
    static StderrErrors errors;
    static LoggedMessages messages;
    static SteadyClock monotonic;
    Services s;
    s.clock = &clock;
    s.screen = &screen;
    s.beeper = &beeper;
    s.inputBox = &input;
    s.errors = &errors;
    s.messages = &messages;
    s.monotonic = &monotonic;
    s.makeWavePlayer = [] { return std::make_unique<SilentPlayer>(); };
    s.hasAudioOutput = [] { return false; };
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
    if (replacement.messages) s.messages = replacement.messages;
    if (replacement.monotonic) s.monotonic = replacement.monotonic;
    if (replacement.makeWavePlayer) s.makeWavePlayer = replacement.makeWavePlayer;
    if (replacement.hasAudioOutput) s.hasAudioOutput = replacement.hasAudioOutput;
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
        throw ConvertError(QStringLiteral("「%1」は数として読めません。").arg(text).toStdString());
    return value;
}

void guarded(ErrorDisplay &errors, const std::function<void()> &body)
{
    try {
        body();
    } catch (const std::exception &e) {
        errors.showError(QString::fromUtf8(e.what()));
    }
}

} // namespace platform
