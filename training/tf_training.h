#pragma once

#include <QPushButton>

#include "platform/ui/form.h"

// The training quiz window.
class TF_Training : public platform::Form {
    Q_OBJECT
public:
    explicit TF_Training(QWidget *parent = nullptr);

    QPushButton *BtnClose;
    void BtnCloseClick();
};

extern TF_Training *F_Training;
