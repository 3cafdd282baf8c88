// Start-up to the first painted main menu.
//
// BM_CreateFormsToFirstPaint: inside one process, the eight windows are
// created and the main menu shown until its first frame is painted, then
// destroyed again (warm: fonts and styles are already loaded).
// BM_ProcessStartToFirstPaint: the whole program start, cold each time. This
// executable starts itself with --first-paint-child, which runs the
// program's own start-up sequence and reports over a pipe once the main
// menu's first frame is painted.
//   QT_QPA_PLATFORM=offscreen bench_startup
#include <benchmark/benchmark.h>

#include "benchrunner.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ui/desktop.h"
#include "platform/ui/fonts.h"
#include "shell/application.h"
#include "shell/tf_main.h"

extern char **environ;

namespace {

constexpr char ChildFlag[] = "--first-paint-child";

// Sees the main menu's first paint event. The rest of that frame (the
// panels and buttons) is painted in the same pass, so the frame is complete
// once control is back in the event loop.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void BM_CreateFormsToFirstPaint(benchmark::State &state)
{
    for (auto _ : state) {
        CreateForms();
        FirstPaint watch;
        F_Main->installEventFilter(&watch);
        F_Main->show();
        for (int spins = 0; !watch.painted && spins < 100000; ++spins)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!watch.painted) {
            state.SkipWithError("the main menu was never painted");
            break;
        }
        state.PauseTiming();
        F_Main->removeEventFilter(&watch);
        DestroyForms();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreateFormsToFirstPaint)->Unit(benchmark::kMillisecond);

// Starts this executable as the program and waits for its first frame.
// Returns the seconds from the spawn to the report, or a negative value.
double startChild()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    char exe[] = "/proc/self/exe";
    char flag[sizeof ChildFlag];
    std::memcpy(flag, ChildFlag, sizeof ChildFlag);
    char *argv[] = {exe, flag, nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, exe, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    double seconds = -1;
    char byte = 0;
    if (spawned == 0 && read(fds[0], &byte, 1) == 1)
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(fds[0]);
    int status = 0;
    if (spawned == 0)
        waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return seconds;
}

void BM_ProcessStartToFirstPaint(benchmark::State &state)
{
    for (auto _ : state) {
        const double seconds = startChild();
        if (seconds < 0) {
            state.SkipWithError("the program did not start or did not paint its menu");
            break;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_ProcessStartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The program's start-up, as in its main(), ending after the first frame of
// the main menu: one byte on descriptor 3, then a normal shutdown.
int firstPaintChild(int argc, char **argv)
{
    platform::ui::Application app(argc, argv);
    InitialiseApplication(app);

    CreateForms();
    FirstPaint watch;
    F_Main->installEventFilter(&watch);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!watch.painted)
            return;
        poll.stop();
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = write(3, &byte, 1);
        QCoreApplication::quit();
    });
    poll.start(0); // runs whenever the event loop is idle
    F_Main->show();
    const int rc = app.exec();
    F_Main->removeEventFilter(&watch);
    DestroyForms();
    return rc;
}

} // namespace

int main(int argc, char **argv)
{
    bench::preferOffscreen();
    if (argc > 1 && std::strcmp(argv[1], ChildFlag) == 0)
        return firstPaintChild(argc, argv);

    QApplication app(argc, argv);
    app.setStyle(QStringLiteral("Fusion"));
    platform::fonts::installSubstitutes();
    platform::ui::installDesktopServices();
    return bench::runBenchmarks(argc, argv);
}
