#pragma once

#include <QPushButton>

#include "platform/ui/form.h"

// The records viewer of one board size.
class TF_Record : public platform::Form {
    Q_OBJECT
public:
    TF_Record(const QString &caption, QWidget *parent = nullptr);

    QPushButton *Button1;
    void Button1Click();
};

class TF_RecordS : public TF_Record {
    Q_OBJECT
public:
    explicit TF_RecordS(QWidget *parent = nullptr);
};

class TF_RecordM : public TF_Record {
    Q_OBJECT
public:
    explicit TF_RecordM(QWidget *parent = nullptr);
};

class TF_RecordL : public TF_Record {
    Q_OBJECT
public:
    explicit TF_RecordL(QWidget *parent = nullptr);
};

extern TF_RecordS *F_RecordS;
extern TF_RecordM *F_RecordM;
extern TF_RecordL *F_RecordL;
