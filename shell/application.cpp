#include "application.h"

#include <QApplication>
#include <QIcon>

#include "platform/ui/desktop.h"
#include "platform/gui/fonts.h"

#include "game/tf_game.h"
#include "match/tf_match.h"
#include "history/tf_stats.h"
#include "records/tf_record.h"
#include "shell/tf_main.h"
#include "training/tf_training.h"

void InitialiseApplication(QApplication &app)
{
    app.setStyle(QStringLiteral("Fusion"));
    app.setWindowIcon(QIcon(QStringLiteral(":/kotoha.xpm")));
    platform::fonts::installSubstitutes();
    platform::ui::installDesktopServices();
    if (!platform::ui::installJapaneseTranslations(app))
        qWarning("Qt's Japanese translations (qtbase_ja.qm, package qt6-translations-l10n) are missing");
}

void CreateForms()
{
    F_Main = new TF_Main;
    F_Training = new TF_Training;
    F_24 = new TF_24;
    F_44 = new TF_44;
    F_84 = new TF_84;
    F_RecordS = new TF_RecordS;
    F_RecordM = new TF_RecordM;
    F_RecordL = new TF_RecordL;
    F_Match = new TF_Match;
    F_Stats = new TF_Stats;
}

template <typename T>
static void destroy(T *&form)
{
    delete form;
    form = nullptr;
}

void DestroyForms()
{
    destroy(F_Match);
    destroy(F_Stats);
    destroy(F_RecordL);
    destroy(F_RecordM);
    destroy(F_RecordS);
    destroy(F_84);
    destroy(F_44);
    destroy(F_24);
    destroy(F_Training);
    destroy(F_Main);
}
