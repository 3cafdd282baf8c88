#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <functional>
#include <memory>
#include <stdexcept>

// The program's view of the machine. Every piece is an interface so that
// tests replace it; the real implementations live in platform/ui.
namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QTime utcTimeOfDay() const = 0;
    virtual QDate localDate() const = 0;
    // The user's short date format, in QLocale's notation.
    virtual QString shortDateFormat() const = 0;
};

class Screen {
public:
    virtual ~Screen() = default;
    virtual int primaryHeight() const = 0;
};

class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// Plays one wave file by name, looked up in the current directory.
// A failure to open or play is never fatal: open() reports it and later
// calls are silent no-ops.
class WavePlayer {
public:
    virtual ~WavePlayer() = default;
    virtual bool open(const QString &fileName) = 0;
    virtual void play() = 0; // from the start, returns at once
    virtual void close() = 0;
};

// The modal one-line input box. Returns the typed text on OK and
// `defaultText` on Cancel.
class InputBox {
public:
    virtual ~InputBox() = default;
    virtual QString ask(const QString &caption, const QString &prompt, const QString &defaultText) = 0;
};

// The application's standard error display.
class ErrorDisplay {
public:
    virtual ~ErrorDisplay() = default;
    virtual void showError(const QString &message) = 0;
};

// Milliseconds from an arbitrary start that never jumps back: the history's
// reaction times are measured with it.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual qint64 elapsedMs() const = 0;
};

// Message windows of the program's own: a notice, and a question answered
// yes or no.
class Messages {
public:
    virtual ~Messages() = default;
    virtual void inform(const QString &message) = 0;
    virtual bool askYesNo(const QString &message) = 0; // true on yes
};

struct Services {
    Clock *clock = nullptr;
    Screen *screen = nullptr;
    Beeper *beeper = nullptr;
    InputBox *inputBox = nullptr;
    ErrorDisplay *errors = nullptr;
    Messages *messages = nullptr;
    MonotonicClock *monotonic = nullptr;
    std::function<std::unique_ptr<WavePlayer>()> makeWavePlayer;
    // Whether the machine has somewhere to send sound at all.
    std::function<bool()> hasAudioOutput;
};

// Starts with a system clock and silent stand-ins for everything else;
// platform::ui::installDesktopServices() puts in the real ones.
Services &services();

// Replaces some services for the lifetime of the object (tests).
class ScopedServices {
public:
    explicit ScopedServices(const Services &replacement);
    ~ScopedServices();
    ScopedServices(const ScopedServices &) = delete;
    ScopedServices &operator=(const ScopedServices &) = delete;

private:
    Services saved_;
};

// Errors raised inside a handler and reported by the standard error display.
class InOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decimal integer as written by the program's own captions; anything else
// raises ConvertError with a message naming the text.
int toInt(const QString &text);

// Runs a handler body; an error it raises is shown by `errors` and the
// program goes on.
void guarded(ErrorDisplay &errors, const std::function<void()> &body);

} // namespace platform
