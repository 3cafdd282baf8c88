#include <QCoreApplication>
#include <QTextStream>

#include "platform/ui/desktop.h"
#include "shell/application.h"
#include "shell/commandline.h"
#include "shell/tf_main.h"

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (isCommandLineRun(arguments)) {
        // No window and no display: a core application is enough.
        QCoreApplication core(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runCommandLine(arguments, out, err);
    }

    platform::ui::Application app(argc, argv);
    InitialiseApplication(app);

    CreateForms();
    F_Main->show();
    const int rc = app.exec();
    DestroyForms();
    return rc;
}
