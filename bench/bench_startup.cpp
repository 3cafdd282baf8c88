// Start-up to the first painted main menu.
//
// BM_CreateFormsToFirstPaint: inside one process, the windows are created
// and the main menu shown until its first frame is painted, then destroyed
// again (warm: fonts and styles are already loaded).
// BM_StartupAgainstBareWindow: the whole program start, cold each time,
// beside two yardsticks built as bare_window: an empty Qt window of the same
// size, and one drawing the menu's texts in the menu's faces. For each: the
// time from the spawn to the first painted frame and the peak memory
// (VmHWM) at that frame, and the ratios. The program's peak after its
// start-up work (the mode windows, the history) is given too. This
// executable starts itself with --first-paint-child, which runs the
// program's own start-up sequence.
// BM_FirstOpenOfEachWindow: each mode's window opened for the first time.
//   QT_QPA_PLATFORM=offscreen bench_startup
#include <benchmark/benchmark.h>

#include "benchrunner.h"
#include "firstframe.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QTemporaryDir>

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
#include "nagashi/tf_nagashi.h"
#include "position/tf_position.h"
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
        shell::CreateForms();
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
        shell::DestroyForms();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreateFormsToFirstPaint)->Unit(benchmark::kMillisecond);

struct ChildRun {
    double seconds = -1;     // from the spawn to the first painted frame; negative on failure
    double frameMiB = 0;     // peak resident memory (VmHWM) at that frame
    double lifetimeMiB = 0;  // the same over the child's whole life
};

// Starts `exe` with `args` and a pipe on descriptor 3, waits for the line it
// writes there after its first frame (its peak memory then, in KiB), then
// for its end.
ChildRun runChild(const std::string &exe, std::vector<std::string> args)
{
    ChildRun run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    args.insert(args.begin(), exe);
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string line;
    char c = 0;
    if (spawned == 0 && read(fds[0], &c, 1) == 1) {
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        do
            line += c;
        while (c != '\n' && read(fds[0], &c, 1) == 1);
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    if (spawned == 0)
        wait4(pid, &status, 0, &usage);
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || line.empty()) {
        run.seconds = -1;
        return run;
    }
    run.frameMiB = std::atof(line.c_str()) / 1024.0;
    run.lifetimeMiB = usage.ru_maxrss / 1024.0; // KiB on Linux
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

// The program's start against the yardsticks', in turn, so that all see the
// same load: the iteration time is the program's; the counters give the
// medians and the ratios (the figures that count on a busy machine).
void BM_StartupAgainstBareWindow(benchmark::State &state)
{
    const std::string self = selfPath(), bare = barePath();
    struct Contestant {
        std::string exe;
        std::vector<std::string> args;
        std::vector<double> ms, frameMiB, lifetimeMiB;
    };
    Contestant contestants[] = {{self, {ChildFlag}, {}, {}, {}},
                                {bare, {ChildFlag}, {}, {}, {}},
                                {bare, {ChildFlag, "--menu-text"}, {}, {}, {}}};
    Contestant &program = contestants[0], &empty = contestants[1], &faces = contestants[2];
    std::size_t first = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < std::size(contestants); ++i) {
            Contestant &c = contestants[(first + i) % std::size(contestants)];
            const ChildRun run = runChild(c.exe, c.args);
            if (run.seconds < 0) {
                state.SkipWithError((c.exe + " did not start or did not paint its first frame").c_str());
                return;
            }
            if (&c == &program)
                state.SetIterationTime(run.seconds);
            c.ms.push_back(run.seconds * 1e3);
            c.frameMiB.push_back(run.frameMiB);
            c.lifetimeMiB.push_back(run.lifetimeMiB);
        }
        first = (first + 1) % std::size(contestants);
    }
    state.counters["program_ms"] = median(program.ms);
    state.counters["bare_ms"] = median(empty.ms);
    state.counters["time_ratio"] = median(program.ms) / median(empty.ms);
    state.counters["program_MiB"] = median(program.frameMiB);
    state.counters["bare_MiB"] = median(empty.frameMiB);
    state.counters["memory_ratio"] = median(program.frameMiB) / median(empty.frameMiB);
    state.counters["faces_ms"] = median(faces.ms);
    state.counters["faces_MiB"] = median(faces.frameMiB);
    state.counters["time_ratio_faces"] = median(program.ms) / median(faces.ms);
    state.counters["memory_ratio_faces"] = median(program.frameMiB) / median(faces.frameMiB);
    state.counters["program_settled_MiB"] = median(program.lifetimeMiB);
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
        bool started = false;
        shell::OpenMenu([&started] { started = true; });
        for (int spins = 0; !started && spins < 100000; ++spins)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        state.ResumeTiming();
        for (QWidget *w : std::initializer_list<QWidget *>{F_Training, F_24, F_44, F_84, F_RecordS, F_RecordM,
                                                           F_RecordL, F_Match, F_Stats, F_Nagashi, F_Position}) {
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
        shell::DestroyForms();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["slowest_first_open_ms"] = slowest;
    for (const auto &[name, ms] : slowestOf)
        state.counters[name + "_ms"] = ms;
}
BENCHMARK(BM_FirstOpenOfEachWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

// The program's start-up, as in its main(): the report goes out after the
// menu's first frame, and the program quits once its start-up work is done.
int firstPaintChild(int argc, char **argv)
{
    platform::ui::Application app(argc, argv);
    shell::InitialiseApplication(app);
    // The history as main() sets it up, in a folder of its own.
    const QTemporaryDir folder;
    history::SqliteRecorder recorder(folder.filePath(QStringLiteral("history.sqlite")));
    const history::ScopedRecorder installed(recorder);

    QObject::connect(&recorder, &history::SqliteRecorder::started, &QCoreApplication::quit);
    shell::OpenMenu([&recorder] { recorder.start(); });
    // Installed after the menu's own hook, so it reports before that work.
    bench::FirstFrameReport report;
    F_Main->installEventFilter(&report);
    const int rc = app.exec();
    shell::DestroyForms();
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
    // The records viewers open their files in the working folder.
    const QTemporaryDir work;
    QDir::setCurrent(work.path());
    return bench::runBenchmarks(argc, argv);
}
