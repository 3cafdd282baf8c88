#pragma once

#include <QPushButton>

#include "platform/ui/form.h"
#include "platform/ui/panel.h"

namespace platform {
struct Services;
}

// The records viewer of one board: the ten best results read from the
// board's records file every time the window is shown.
class TF_Record : public platform::ui::Form {
    Q_OBJECT
public:
    // `services` (its messages and error display) outlives the window.
    TF_Record(const QString &caption, const QString &recordsFile, platform::Services &services,
              QWidget *parent = nullptr);

    QPushButton *Button1;
    platform::ui::Panel *Panel1;

    void Button1Click();

protected:
    void FormShow() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Asks whether to set a damaged file aside and start a new table.
    void offerNewTable(const QString &path, const QString &damage);
    QString recordsFile_;
    platform::Services &services_;
};

class TF_RecordS : public TF_Record {
    Q_OBJECT
public:
    TF_RecordS(const QString &recordsFile, platform::Services &services, QWidget *parent = nullptr);
};

class TF_RecordM : public TF_Record {
    Q_OBJECT
public:
    TF_RecordM(const QString &recordsFile, platform::Services &services, QWidget *parent = nullptr);
};

class TF_RecordL : public TF_Record {
    Q_OBJECT
public:
    TF_RecordL(const QString &recordsFile, platform::Services &services, QWidget *parent = nullptr);
};

extern TF_RecordS *F_RecordS;
extern TF_RecordM *F_RecordM;
extern TF_RecordL *F_RecordL;
