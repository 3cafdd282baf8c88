#pragma once

#include <QPushButton>

#include <functional>

#include "platform/ui/form.h"
#include "platform/ui/panel.h"

class QLabel;
class VerticalMenuButton;
namespace deck {
class PoemTableData;
}
namespace platform {
struct Services;
}

// The main menu. It opens one mode at a time and ends the program on "終了".
class TF_Main : public platform::ui::Form {
    Q_OBJECT
public:
    // The entries that open a window of their own.
    enum class Mode { Training, GameS, GameM, GameL, RecordS, RecordM, RecordL, Match, Stats, Nagashi, Position };
    // The window a mode opens, made first when the menu comes before the
    // mode windows exist; nullptr opens nothing.
    using WindowOf = std::function<QWidget *(Mode)>;

    // The menu fills `poems` as it is made; `services` (the screen's height)
    // and `poems` outlive it.
    TF_Main(platform::Services &services, deck::PoemTableData &poems, WindowOf windowOf, QWidget *parent = nullptr);

    platform::ui::Panel *Panel1;
    QLabel *Label1;
    platform::ui::Panel *Panel2;
    QPushButton *BtnTraining;
    QPushButton *BtnGameS;
    QPushButton *BtnGameM;
    QPushButton *BtnGameL;
    QPushButton *BtnRecordS;
    QPushButton *BtnRecordM;
    QPushButton *BtnRecordL;
    QPushButton *BtnClose;
    VerticalMenuButton *BtnMatch;   // right strip, upper half
    VerticalMenuButton *BtnNagashi; // right strip, lower half
    VerticalMenuButton *BtnPosition; // left strip, lower half
    VerticalMenuButton *BtnStats; // left strip, beside the menu panel

    void BtnTrainingClick();
    void BtnGameSClick();
    void BtnGameMClick();
    void BtnGameLClick();
    void BtnRecordSClick();
    void BtnRecordMClick();
    void BtnRecordLClick();
    void BtnCloseClick();
    void BtnMatchClick();
    void BtnStatsClick();
    void BtnNagashiClick();
    void BtnPositionClick();

protected:
    void FormCreate();
    void FormShow() override;

private:
    void openMode(Mode mode);

    platform::Services &services_;
    deck::PoemTableData &poems_;
    WindowOf windowOf_;
};

extern TF_Main *F_Main;
