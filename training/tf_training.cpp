#include "tf_training.h"

#include "platform/ui/fonts.h"

using namespace platform;

TF_Training *F_Training = nullptr;

TF_Training::TF_Training(QWidget *parent)
    : Form(QStringLiteral("琴葉トレーニング"), QSize(592, 423), parent)
{
    setObjectName(QStringLiteral("F_Training"));
    setFont(fonts::font(fonts::MSPGothic, 12));
    BtnClose = new QPushButton(QStringLiteral("終了"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setGeometry(40, 368, 145, 33);
    BtnClose->setFont(fonts::font(fonts::MSPGothic, 19, true));
    connect(BtnClose, &QPushButton::clicked, this, &TF_Training::BtnCloseClick);
}

void TF_Training::BtnCloseClick()
{
    closeAndShowMain();
}
