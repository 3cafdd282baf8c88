// Start-up to the first painted main menu.
//
// BM_CreateFormsToFirstPaint: inside one process, the eight windows are
// created and the main menu shown until its first frame is painted, then
// destroyed again (warm: fonts and styles are already loaded).
// BM_StartupAgainstBareWindow: the whole program start, cold each time,
// beside a bare Qt window of the same size (bare_window): time to the first
// painted frame and peak memory of both, and their ratios. This executable
// starts itself with --first-paint-child, which runs the program's own
// start-up sequence and reports over a pipe once the main menu's first
// frame is painted.
// BM_FirstOpenOfEachWindow: each mode's window opened for the first time.
//   QT_QPA_PLATFORM=offscreen bench_startup
#include <benchmark/benchmark.h>

#include "benchrunner.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ui/desktop.h"
#include "platform/gui/fonts.h"
#include "shell/application.h"
#include "game/tf_game.h"
#include "history/tf_stats.h"
#include "history/writer.h"
#include "match/tf_match.h"
#include "records/tf_record.h"
#include "shell/tf_main.h"
#include "training/tf_training.h"

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

struct ChildRun {
    double seconds = -1; // from the spawn to the first painted frame; negative on failure
    double peakMiB = 0;  // the child's peak resident memory (VmHWM) over its whole life
};

// Starts `exe` with `flag` (if any) and a pipe on descriptor 3, and waits for
// the byte it writes there after its first frame, then for its end.
ChildRun runChild(const std::string &exe, const char *flag)
{
    ChildRun run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    std::string path = exe, option = flag ? flag : "";
    char *argv[] = {path.data(), flag ? option.data() : nullptr, nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char byte = 0;
    if (spawned == 0 && read(fds[0], &byte, 1) == 1)
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(fds[0]);
    int status = 0;
    rusage usage{};
    if (spawned == 0)
        wait4(pid, &status, 0, &usage);
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.seconds = -1;
        return run;
    }
    run.peakMiB = usage.ru_maxrss / 1024.0; // KiB on Linux
    return run;
}

std::string selfPath()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, std::size_t(n)) : std::string();
}

// The bare window program built beside this one.
std::string barePath()
{
    const std::string self = selfPath();
    return self.substr(0, self.rfind('/') + 1) + "bare_window";
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The program's start against the bare window's, alternating, so that both
// see the same load: the iteration time is the program's; the counters give
// the medians of both and their ratios (the figures that count on a busy
// machine).
void BM_StartupAgainstBareWindow(benchmark::State &state)
{
    const std::string self = selfPath(), bare = barePath();
    std::vector<double> programMs, bareMs, programMiB, bareMiB;
    bool programFirst = true;
    for (auto _ : state) {
        ChildRun program, window;
        if (programFirst) {
            program = runChild(self, ChildFlag);
            window = runChild(bare, ChildFlag);
        } else {
            window = runChild(bare, ChildFlag);
            program = runChild(self, ChildFlag);
        }
        programFirst = !programFirst;
        if (program.seconds < 0 || window.seconds < 0) {
            state.SkipWithError(program.seconds < 0 ? "the program did not start or did not paint its menu"
                                                    : "the bare window did not start or did not paint");
            return;
        }
        state.SetIterationTime(program.seconds);
        programMs.push_back(program.seconds * 1e3);
        bareMs.push_back(window.seconds * 1e3);
        programMiB.push_back(program.peakMiB);
        bareMiB.push_back(window.peakMiB);
    }
    state.counters["program_ms"] = median(programMs);
    state.counters["bare_ms"] = median(bareMs);
    state.counters["time_ratio"] = median(programMs) / median(bareMs);
    state.counters["program_MiB"] = median(programMiB);
    state.counters["bare_MiB"] = median(bareMiB);
    state.counters["memory_ratio"] = median(programMiB) / median(bareMiB);
}
BENCHMARK(BM_StartupAgainstBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

// "Created at start" as the player sees it: each window, opened for the
// first time after the menu is up, until its first frame is painted. The
// counters give the slowest of the nine and each window's own slowest.
void BM_FirstOpenOfEachWindow(benchmark::State &state)
{
    double slowest = 0;
    std::map<std::string, double> slowestOf; // by window
    for (auto _ : state) {
        state.PauseTiming();
        CreateForms();
        F_Main->show();
        FirstPaint menu;
        F_Main->installEventFilter(&menu);
        for (int spins = 0; !menu.painted && spins < 100000; ++spins)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        F_Main->removeEventFilter(&menu);
        state.ResumeTiming();
        for (QWidget *w : std::initializer_list<QWidget *>{F_Training, F_24, F_44, F_84, F_RecordS, F_RecordM,
                                                           F_RecordL, F_Match, F_Stats}) {
            const auto start = std::chrono::steady_clock::now();
            FirstPaint watch;
            w->installEventFilter(&watch);
            w->show();
            for (int spins = 0; !watch.painted && spins < 100000; ++spins)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            slowest = std::max(slowest, ms);
            double &own = slowestOf[w->objectName().toStdString()];
            own = std::max(own, ms);
            w->removeEventFilter(&watch);
            w->hide();
        }
        state.PauseTiming();
        DestroyForms();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["slowest_first_open_ms"] = slowest;
    for (const auto &[name, ms] : slowestOf)
        state.counters[name + "_ms"] = ms;
}
BENCHMARK(BM_FirstOpenOfEachWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

// The program's start-up, as in its main(), ending after the first frame of
// the main menu: one byte on descriptor 3, then a normal shutdown.
int firstPaintChild(int argc, char **argv)
{
    platform::ui::Application app(argc, argv);
    InitialiseApplication(app);
    // The history as main() sets it up, in a folder of its own.
    const QTemporaryDir folder;
    history::SqliteRecorder recorder(folder.filePath(QStringLiteral("history.sqlite")));
    const history::ScopedRecorder installed(recorder);

    CreateForms();
    AfterFirstPaint(F_Main, [&recorder] { recorder.start(); });
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
