#include "platform/ui/desktop.h"
#include "shell/application.h"
#include "shell/tf_main.h"

int main(int argc, char **argv)
{
    platform::ui::Application app(argc, argv);
    InitialiseApplication(app);

    CreateForms();
    F_Main->show();
    const int rc = app.exec();
    DestroyForms();
    return rc;
}
