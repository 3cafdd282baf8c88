#pragma once

#include <QPushButton>

#include "platform/ui/form.h"
#include "platform/ui/panel.h"

class QLabel;
class VerticalMenuButton;

// The main menu. It opens one mode at a time and ends the program on "終了".
class TF_Main : public platform::ui::Form {
    Q_OBJECT
public:
    explicit TF_Main(QWidget *parent = nullptr);

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
    VerticalMenuButton *BtnMatch; // right strip, beside the menu panel
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

protected:
    void FormCreate();
    void FormShow() override;

private:
    // Takes the window's variable: a mode chosen in the menu's first moments
    // may not have its window yet.
    template <typename Mode>
    void openMode(Mode *const &mode);
};

extern TF_Main *F_Main;
