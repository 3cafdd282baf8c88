#include "application.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "deck/poemtable.h"
#include "history/recorder.h"
#include "history/schedulecache.h"
#include "history/writer.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/ui/desktop.h"
#include "platform/gui/fonts.h"
#include "voice/speaker.h"

#include "game/boardsize.h"
#include "game/tf_game.h"
#include "match/tf_match.h"
#include "nagashi/tf_nagashi.h"
#include "position/tf_position.h"
#include "history/tf_stats.h"
#include "records/tf_record.h"
#include "shell/tf_main.h"
#include "training/tf_training.h"

#include "resources/kotoha.xpm"

namespace shell {

void InitialiseApplication(QApplication &app)
{
    app.setStyle(QStringLiteral("Fusion"));
    // Built from the array itself: read as a file, even with its format
    // named, the image reader loads every image format plugin (and libjpeg).
    app.setWindowIcon(QIcon(QPixmap(kotoha_xpm)));
    platform::fonts::installSubstitutes();
    platform::ui::installDesktopServices();
    if (!platform::ui::installJapaneseTranslations(app))
        qWarning("Qt's Japanese translations (qtbase_ja.qm, package qt6-translations-l10n) are missing");
}

namespace {

QWidget *modeWindow(TF_Main::Mode mode)
{
    CreateModeForms();
    switch (mode) {
    case TF_Main::Mode::Training: return F_Training;
    case TF_Main::Mode::GameS: return F_24;
    case TF_Main::Mode::GameM: return F_44;
    case TF_Main::Mode::GameL: return F_84;
    case TF_Main::Mode::RecordS: return F_RecordS;
    case TF_Main::Mode::RecordM: return F_RecordM;
    case TF_Main::Mode::RecordL: return F_RecordL;
    case TF_Main::Mode::Match: return F_Match;
    case TF_Main::Mode::Stats: return F_Stats;
    case TF_Main::Mode::Nagashi: return F_Nagashi;
    case TF_Main::Mode::Position: return F_Position;
    }
    Q_UNREACHABLE();
}

// The review schedule the quiz and the statistics share, worked out once
// per change of the history; it outlives both windows.
history::ScheduleCache *Schedules = nullptr;

} // namespace

void CreateMainForm()
{
    F_Main = new TF_Main(platform::services(), deck::PoemTable, modeWindow);
}

void CreateModeForms()
{
    if (F_Training)
        return;
    // The recorder installed now serves the windows until they are destroyed.
    platform::Services &services = platform::services();
    const TF_Game::Needs play{services, platform::rng(), history::recorder(), voice::options(), deck::PoemTable};
    Schedules = new history::ScheduleCache;
    if (auto *writer = dynamic_cast<history::SqliteRecorder *>(&play.recorder))
        QObject::connect(writer, &history::SqliteRecorder::takeWritten, Schedules, &history::ScheduleCache::takeWritten);
    F_Training = new TF_Training({services, play.rng, play.recorder, play.voice, play.poems}, nullptr, Schedules);
    F_24 = new TF_24(play);
    F_44 = new TF_44(play);
    F_84 = new TF_84(play);
    F_RecordS = new TF_RecordS(game::boardOf(game::BoardSize::S).recordsFile, services);
    F_RecordM = new TF_RecordM(game::boardOf(game::BoardSize::M).recordsFile, services);
    F_RecordL = new TF_RecordL(game::boardOf(game::BoardSize::L).recordsFile, services);
    F_Match = new TF_Match({services, play.rng, play.recorder, play.voice, play.poems});
    F_Position = new TF_Position({services, play.rng, play.recorder, play.voice, play.poems});
    F_Stats = new TF_Stats(services, deck::PoemTable, nullptr, Schedules);
    F_Nagashi = new TF_Nagashi({services, play.rng, play.recorder, play.voice, play.poems});
}

void CreateForms()
{
    CreateMainForm();
    CreateModeForms();
}

template <typename T>
static void destroy(T *&form)
{
    delete form;
    form = nullptr;
}

void DestroyForms()
{
    destroy(F_Nagashi);
    destroy(F_Position);
    destroy(F_Match);
    destroy(F_Stats);
    destroy(F_RecordL);
    destroy(F_RecordM);
    destroy(F_RecordS);
    destroy(F_84);
    destroy(F_44);
    destroy(F_24);
    destroy(F_Training);
    destroy(Schedules);
    destroy(F_Main);
}

namespace {

class FirstPaintHook final : public QObject {
public:
    FirstPaintHook(QWidget *window, std::function<void()> work)
        : QObject(window), work_(std::move(work))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !fired_) {
            fired_ = true;
            watched->removeEventFilter(this);
            // After the whole frame: the paint event is only its beginning.
            QTimer::singleShot(0, this, [this] {
                work_();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> work_;
    bool fired_ = false;
};

} // namespace

void AfterFirstPaint(QWidget *window, std::function<void()> work)
{
    new FirstPaintHook(window, std::move(work));
}

void OpenMenu(std::function<void()> afterwards)
{
    CreateMainForm();
    AfterFirstPaint(F_Main, [afterwards = std::move(afterwards)] {
        CreateModeForms();
        if (afterwards)
            afterwards();
    });
    F_Main->show();
}

} // namespace shell
