// A second copy of the program for the records tests: runs the record step
// once on a file, in its own process.
//
//   records_helper <file> <score> <name> [--ask] [--fsize BYTES] [--ignore-xfsz]
//
// --ask          print "ask", read the name from a line of stdin, print "asked"
// --fsize        no file may grow past BYTES; a write beyond kills the process
//                (SIGXFSZ), as a kill at that moment of the write would
// --ignore-xfsz  with --fsize: the write fails instead, as on a full disk
//
// Prints "stored <slot>" (0: did not enter) or "error: <message>" and exits
// with 0 or 3.

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include <sys/resource.h>

#include "recordsfixture.h"
#include "records/kirokutoroku.h"

namespace {

class StdinInput final : public platform::InputBox {
public:
    bool interactive = false;
    QString name;
    QString ask(const QString &, const QString &, const QString &) override
    {
        if (!interactive)
            return name;
        std::printf("ask\n");
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
        std::printf("asked\n");
        std::fflush(stdout);
        return QString::fromStdString(line);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: records_helper <file> <score> <name> [--ask] [--fsize N] [--ignore-xfsz]\n");
        return 2;
    }
    StdinInput input;
    input.name = args[3];
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    for (int i = 4; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--ask")) {
            input.interactive = true;
        } else if (args[i] == QLatin1String("--fsize") && i + 1 < args.size()) {
            const rlim_t bytes = args[++i].toULongLong();
            const rlimit limit{bytes, bytes};
            setrlimit(RLIMIT_FSIZE, &limit);
        } else if (args[i] == QLatin1String("--ignore-xfsz")) {
            std::signal(SIGXFSZ, SIG_IGN);
        }
    }

    fakes::FakeClock clock;
    platform::Services s;
    s.clock = &clock;
    s.inputBox = &input;
    platform::ScopedServices scoped(s);
    try {
        const records::Stored stored = records::storeResult(platform::services(), args[1], args[2]);
        std::printf("stored %d%s\n", stored.place, stored.inPlace ? " in place" : "");
        return 0;
    } catch (const std::exception &e) {
        std::printf("error: %s\n", e.what());
        return 3;
    }
}
