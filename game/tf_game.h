#pragma once

#include <QPushButton>

#include "platform/ui/form.h"

// The card-taking game window; one class serves the three board sizes.
class TF_Game : public platform::Form {
    Q_OBJECT
public:
    struct Geometry {
        QSize client;
        QRect btnClose;
    };
    TF_Game(const Geometry &geometry, QWidget *parent = nullptr);

    QPushButton *BtnClose;
    void BtnCloseClick();
};

class TF_24 : public TF_Game {
    Q_OBJECT
public:
    explicit TF_24(QWidget *parent = nullptr);
};

class TF_44 : public TF_Game {
    Q_OBJECT
public:
    explicit TF_44(QWidget *parent = nullptr);
};

class TF_84 : public TF_Game {
    Q_OBJECT
public:
    explicit TF_84(QWidget *parent = nullptr);
};

extern TF_24 *F_24;
extern TF_44 *F_44;
extern TF_84 *F_84;
