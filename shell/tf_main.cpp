#include "tf_main.h"

#include <QLabel>

#include "deck/poemtable.h"
#include "platform/services.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/kit.h"
#include "shell/verticalmenubutton.h"

using namespace platform;
using namespace platform::ui;

TF_Main *F_Main = nullptr;

namespace {

// The menu's texts are fixed, and each of their characters is in its face:
// without fallback faces to look up, the first frame comes sooner.
QFont fixedText(QFont f)
{
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::NoFontMerging));
    return f;
}

} // namespace

TF_Main::TF_Main(platform::Services &services, deck::PoemTableData &poems, WindowOf windowOf, QWidget *parent)
    : Form(QStringLiteral("琴葉"), QSize(592, 423), parent), services_(services), poems_(poems),
      windowOf_(std::move(windowOf))
{
    setObjectName(QStringLiteral("F_Main"));
    makeMainForm();
    setFont(fixedText(fonts::font(fonts::MSPGothic, 12)));

    Panel1 = new Panel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 577, 73);
    Panel1->setColor(colors::clYellow);
    Panel1->setBevels(Bevel::Lowered, Bevel::Raised, 2);
    Panel1->setFont(fixedText(fonts::font(fonts::MSPMincho, 48, true, true)));
    Panel1->setCaption(QStringLiteral("百人一首　琴葉　　　　　　　"));

    Label1 = new QLabel(QStringLiteral("競技かるた練習ソフト"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(344, 40, 223, 18);
    Label1->setFont(fixedText(fonts::font(fonts::System, 19, true, true)));
    kit::setTextColor(Label1, colors::clWindowText);

    Panel2 = kit::panel(this, QStringLiteral("Panel2"), QRect(72, 96, 449, 313));

    // The eight entries, in their Tab order.
    const struct {
        QPushButton *TF_Main::*button;
        const char *name;
        QString caption;
        QRect bounds;
        void (TF_Main::*click)();
    } entries[] = {
        {&TF_Main::BtnTraining, "BtnTraining", QStringLiteral("トレーニング"), QRect(40, 40, 369, 41),
         &TF_Main::BtnTrainingClick},
        {&TF_Main::BtnGameS, "BtnGameS", QStringLiteral("ゲーム(S)"), QRect(40, 104, 121, 41), &TF_Main::BtnGameSClick},
        {&TF_Main::BtnGameM, "BtnGameM", QStringLiteral("ゲーム(M)"), QRect(164, 104, 121, 41), &TF_Main::BtnGameMClick},
        {&TF_Main::BtnGameL, "BtnGameL", QStringLiteral("ゲーム(L)"), QRect(288, 104, 121, 41), &TF_Main::BtnGameLClick},
        {&TF_Main::BtnRecordS, "BtnRecordS", QStringLiteral("記録(S)"), QRect(40, 168, 121, 41),
         &TF_Main::BtnRecordSClick},
        {&TF_Main::BtnRecordM, "BtnRecordM", QStringLiteral("記録(M)"), QRect(164, 168, 121, 41),
         &TF_Main::BtnRecordMClick},
        {&TF_Main::BtnRecordL, "BtnRecordL", QStringLiteral("記録(L)"), QRect(288, 168, 121, 41),
         &TF_Main::BtnRecordLClick},
        {&TF_Main::BtnClose, "BtnClose", QStringLiteral("終了"), QRect(40, 232, 369, 41), &TF_Main::BtnCloseClick},
    };
    const QFont menuFont = fixedText(fonts::font(fonts::MSPGothic, 19, true));
    QPushButton *previous = nullptr;
    for (const auto &e : entries) {
        QPushButton *b = kit::button(Panel2, QLatin1String(e.name), e.caption, e.bounds, menuFont);
        this->*e.button = b;
        connect(b, &QPushButton::clicked, this, e.click);
        if (previous)
            setTabOrder(previous, b);
        previous = b;
    }
    BtnGameM->setEnabled(false);
    BtnGameL->setEnabled(false);

    // The entries beyond the eight sit on the side strips and come last in
    // the Tab order: the learning history and the position drill on the left,
    // the match and the card drill on the right.
    BtnStats = new VerticalMenuButton(this, "BtnStats", QStringLiteral("学習記録"), QRect(12, 136, 49, 115));
    BtnStats->OnClick = [this](QObject *) { BtnStatsClick(); };
    BtnPosition = new VerticalMenuButton(this, "BtnPosition", QStringLiteral("札の位置"), QRect(12, 254, 49, 115));
    BtnPosition->OnClick = [this](QObject *) { BtnPositionClick(); };
    BtnMatch = new VerticalMenuButton(this, "BtnMatch", QStringLiteral("練習試合"), QRect(531, 136, 49, 115));
    BtnMatch->OnClick = [this](QObject *) { BtnMatchClick(); };
    BtnNagashi = new VerticalMenuButton(this, "BtnNagashi", QStringLiteral("札流し"), QRect(531, 254, 49, 115));
    BtnNagashi->OnClick = [this](QObject *) { BtnNagashiClick(); };
    setTabOrder(BtnClose, BtnStats);
    setTabOrder(BtnStats, BtnPosition);
    setTabOrder(BtnPosition, BtnMatch);
    setTabOrder(BtnMatch, BtnNagashi);

    FormCreate();
}

void TF_Main::FormCreate()
{
    poems_.fill();
}

void TF_Main::FormShow()
{
    // The gates only ever enable; a low screen leaves the buttons as they are.
    if (services_.screen->primaryHeight() > 599)
        BtnGameM->setEnabled(true);
    if (services_.screen->primaryHeight() > 749)
        BtnGameL->setEnabled(true);
}

void TF_Main::openMode(Mode mode)
{
    QWidget *window = windowOf_ ? windowOf_(mode) : nullptr;
    hide();
    if (window)
        window->show();
}

void TF_Main::BtnTrainingClick() { openMode(Mode::Training); }
void TF_Main::BtnGameSClick() { openMode(Mode::GameS); }
void TF_Main::BtnGameMClick() { openMode(Mode::GameM); }
void TF_Main::BtnGameLClick() { openMode(Mode::GameL); }
void TF_Main::BtnRecordSClick() { openMode(Mode::RecordS); }
void TF_Main::BtnRecordMClick() { openMode(Mode::RecordM); }
void TF_Main::BtnRecordLClick() { openMode(Mode::RecordL); }
void TF_Main::BtnMatchClick() { openMode(Mode::Match); }
void TF_Main::BtnStatsClick() { openMode(Mode::Stats); }
void TF_Main::BtnNagashiClick() { openMode(Mode::Nagashi); }
void TF_Main::BtnPositionClick() { openMode(Mode::Position); }

void TF_Main::BtnCloseClick()
{
    close();
}
