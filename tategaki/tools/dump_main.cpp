#include <QGuiApplication>

#include <cstdio>

#include "layoutdump.h"

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(tategaki::tools::usage().toUtf8().constData(), stdout);
        return 0;
    }
    QString output, error;
    if (!tategaki::tools::layoutDump(args, output, error)) {
        std::fprintf(stderr, "tategaki_dump: %s\n%s", error.toUtf8().constData(),
                     tategaki::tools::usage().toUtf8().constData());
        return 2;
    }
    std::fputs(output.toUtf8().constData(), stdout);
    return 0;
}
