#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include "history/database.h"
#include "history/notice.h"
#include "history/playerstore.h"
#include "history/writer.h"
#include "platform/services.h"
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
    shell::InitialiseApplication(app);

    // The learning history, beside the records when the working folder can
    // hold it, else in the player's data folder; every reader uses the path
    // found here. Without it the program plays exactly as before. The file is
    // opened and checked on the writer's thread once the menu is on screen;
    // the player is asked or told about it then, before any play.
    // A history in the working folder that cannot be written is still the
    // player's: they are told, and 学習記録 can show it as it stands.
    const history::HistoryChoice choice = history::resolveHistory(QDir::currentPath(), history::playerDataFolder());
    history::setDatabasePath(choice.path);
    history::setUnwritableHistoryPath(choice.unwritable);
    history::AsideNotice notice; // outlives the recorder, which may still tell at its end
    history::SqliteRecorder recorder(history::databasePath());
    recorder.tellDuringPlay = [&notice](const QString &message) { notice.tell(message); };
    recorder.amendDuringPlay = [&notice](const QString &message) { notice.amend(message); };
    const history::ScopedRecorder installed(recorder);

    shell::OpenMenu([&recorder, choice] {
        if (!choice.unwritable.isEmpty())
            platform::services().messages->inform(history::historyChoiceMessage(choice));
        history::reviewOptions() = history::loadReviewOptions(history::databasePath());
        recorder.start();
    });
    const int rc = app.exec();
    shell::DestroyForms();
    return rc;
}
