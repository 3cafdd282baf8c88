#pragma once

#include <QSize>
#include <QWidget>

namespace platform::ui {

// A fixed-size window with no title-bar buttons, created once and then only
// shown and hidden. FormShow runs on every showing, before the window is
// centred on its first showing; FormHide runs on every hiding.
class Form : public QWidget {
    Q_OBJECT
public:
    Form(const QString &caption, QSize clientSize, QWidget *parent = nullptr);

    // The application's main window: closing it ends the program.
    static Form *mainForm();
    void makeMainForm();
    bool isMainForm() const { return mainForm() == this; }

    // A mode window's way back: close this window (running FormHide), then
    // show the main window again. It is the only close a mode window accepts.
    void closeAndShowMain();

protected:
    virtual void FormShow() {}
    virtual void FormHide() {}

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void centreOnScreen();

    bool shownOnce_ = false;
    bool programClose_ = false;
};

// Finds a control of a numbered series ("Btn" + 3 -> Btn3) under `parent`.
template <typename T>
T *findControl(const QObject *parent, const QString &prefix, int number)
{
    return parent->findChild<T *>(prefix + QString::number(number));
}

} // namespace platform::ui
