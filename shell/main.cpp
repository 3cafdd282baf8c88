#include <QIcon>

#include "platform/ui/desktop.h"
#include "platform/ui/fonts.h"
#include "shell/application.h"
#include "shell/tf_main.h"

int main(int argc, char **argv)
{
    platform::ui::Application app(argc, argv);
    app.setStyle(QStringLiteral("Fusion"));
    app.setWindowIcon(QIcon(QStringLiteral(":/kotoha.xpm")));
    platform::fonts::installSubstitutes();
    platform::ui::installDesktopServices();

    CreateForms();
    F_Main->show();
    const int rc = app.exec();
    DestroyForms();
    return rc;
}
