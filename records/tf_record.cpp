#include "tf_record.h"

#include "platform/ui/fonts.h"

using namespace platform;

TF_RecordS *F_RecordS = nullptr;
TF_RecordM *F_RecordM = nullptr;
TF_RecordL *F_RecordL = nullptr;

TF_Record::TF_Record(const QString &caption, QWidget *parent)
    : Form(caption, QSize(592, 423), parent)
{
    setFont(fonts::font(fonts::MSPGothic, 12));
    Button1 = new QPushButton(QStringLiteral("O K"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(464, 352, 105, 41);
    Button1->setFont(fonts::font(fonts::MSPGothic, 19, true));
    connect(Button1, &QPushButton::clicked, this, &TF_Record::Button1Click);
}

void TF_Record::Button1Click()
{
    closeAndShowMain();
}

TF_RecordS::TF_RecordS(QWidget *parent) : TF_Record(QStringLiteral("琴葉記録Ｓ"), parent)
{
    setObjectName(QStringLiteral("F_RecordS"));
}

TF_RecordM::TF_RecordM(QWidget *parent) : TF_Record(QStringLiteral("琴葉記録Ｍ"), parent)
{
    setObjectName(QStringLiteral("F_RecordM"));
}

TF_RecordL::TF_RecordL(QWidget *parent) : TF_Record(QStringLiteral("琴葉記録Ｌ"), parent)
{
    setObjectName(QStringLiteral("F_RecordL"));
}
