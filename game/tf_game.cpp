#include "tf_game.h"

#include "platform/ui/fonts.h"

using namespace platform;

TF_24 *F_24 = nullptr;
TF_44 *F_44 = nullptr;
TF_84 *F_84 = nullptr;

TF_Game::TF_Game(const Geometry &geometry, QWidget *parent)
    : Form(QStringLiteral("琴葉ゲーム"), geometry.client, parent)
{
    setFont(fonts::font(fonts::MSPGothic, 12));
    BtnClose = new QPushButton(QStringLiteral("終了"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setGeometry(geometry.btnClose);
    BtnClose->setFont(fonts::font(fonts::System, 19));
    connect(BtnClose, &QPushButton::clicked, this, &TF_Game::BtnCloseClick);
}

void TF_Game::BtnCloseClick()
{
    closeAndShowMain();
}

TF_24::TF_24(QWidget *parent) : TF_Game({QSize(592, 423), QRect(336, 32, 129, 25)}, parent)
{
    setObjectName(QStringLiteral("F_24"));
}

TF_44::TF_44(QWidget *parent) : TF_Game({QSize(792, 522), QRect(576, 8, 113, 33)}, parent)
{
    setObjectName(QStringLiteral("F_44"));
}

TF_84::TF_84(QWidget *parent) : TF_Game({QSize(967, 723), QRect(728, 0, 129, 25)}, parent)
{
    setObjectName(QStringLiteral("F_84"));
}
