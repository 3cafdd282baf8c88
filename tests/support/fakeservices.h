#pragma once

// Stand-ins for the desktop services, shared by the window and records tests.

#include <QDate>
#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>
#include <stdexcept>

#include "platform/services.h"

namespace fakes {

class FakeClock final : public platform::Clock {
public:
    QTime time{12, 0};
    QDate date{2026, 12, 6};
    QString format = QStringLiteral("yyyy/MM/dd");
    QTime utcTimeOfDay() const override { return time; }
    QDate localDate() const override { return date; }
    QString shortDateFormat() const override { return format; }
};

class CountingBeeper final : public platform::Beeper {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

// What every wave player was asked to do, in one log, and how they fail.
struct SoundBoard {
    QStringList log;
    QStringList unopenable;
    bool playThrows = false;
    bool noPlayer = false;
};

class FakePlayer final : public platform::WavePlayer {
public:
    explicit FakePlayer(SoundBoard &b) : board(b) {}
    bool open(const QString &name) override
    {
        file = name;
        board.log << "open " + name;
        return !board.unopenable.contains(name);
    }
    void play() override
    {
        board.log << "play " + file;
        if (board.playThrows)
            throw std::runtime_error("no audio device");
    }
    void close() override { board.log << "close " + file; }
    SoundBoard &board;
    QString file;
};

class FakeInput final : public platform::InputBox {
public:
    std::optional<QString> answer; // nullopt: Cancel
    std::function<void()> whileAsking; // e.g. another copy storing a result meanwhile
    QStringList asked;                 // "caption|prompt|default" per call

    QString ask(const QString &caption, const QString &prompt, const QString &defaultText) override
    {
        asked << caption + QLatin1Char('|') + prompt + QLatin1Char('|') + defaultText;
        if (whileAsking)
            whileAsking();
        return answer ? *answer : defaultText;
    }
};

class FakeErrors final : public platform::ErrorDisplay {
public:
    QStringList shown;
    void showError(const QString &message) override { shown << message; }
};

// Notices and questions as they were put; questions are answered from
// `answers` in turn, no once it runs out.
class FakeMessages final : public platform::Messages {
public:
    QStringList informed;
    QStringList asked;
    QList<bool> answers;
    std::function<void()> whileAsking;
    void inform(const QString &message) override { informed << message; }
    bool askYesNo(const QString &message) override
    {
        asked << message;
        if (whileAsking)
            whileAsking();
        return answers.isEmpty() ? false : answers.takeFirst();
    }
};

// `given`, with the program's silent stand-ins where the test left a
// service out: what a window is handed through its needs. Nothing is
// installed, so a window that reached past its needs would miss the fakes.
inline platform::Services withStandIns(platform::Services given)
{
    const platform::Services &quiet = platform::services();
    if (!given.clock) given.clock = quiet.clock;
    if (!given.screen) given.screen = quiet.screen;
    if (!given.beeper) given.beeper = quiet.beeper;
    if (!given.inputBox) given.inputBox = quiet.inputBox;
    if (!given.errors) given.errors = quiet.errors;
    if (!given.messages) given.messages = quiet.messages;
    if (!given.monotonic) given.monotonic = quiet.monotonic;
    if (!given.makeWavePlayer) given.makeWavePlayer = quiet.makeWavePlayer;
    if (!given.hasAudioOutput) given.hasAudioOutput = quiet.hasAudioOutput;
    return given;
}

} // namespace fakes
