#include "form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

#include "platform/gui/colors.h"
#include "keyboard.h"

namespace platform::ui {
namespace {
Form *g_mainForm = nullptr;
}

Form::Form(const QString &caption, QSize clientSize, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colors::clSilver);
    setPalette(pal);
    ui::installKeyboardPolicy();
}

Form *Form::mainForm()
{
    return g_mainForm;
}

void Form::makeMainForm()
{
    g_mainForm = this;
}

void Form::closeAndShowMain()
{
    programClose_ = true;
    close();
    programClose_ = false;
    if (Form *main = mainForm())
        main->show();
}

void Form::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // restored by the window manager: not a new showing
    FormShow();
    if (!shownOnce_) {
        shownOnce_ = true;
        centreOnScreen();
    }
}

void Form::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        FormHide();
}

void Form::closeEvent(QCloseEvent *event)
{
    if (isMainForm()) {
        event->accept();
        QCoreApplication::quit();
        return;
    }
    // A mode window has no close box: only its own button may close it, so
    // a close request from anywhere else (the window manager) is refused.
    if (programClose_)
        event->accept();
    else
        event->ignore();
}

void Form::centreOnScreen()
{
    QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect area = s->geometry();
    const QSize frame = frameGeometry().size().expandedTo(size());
    move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

} // namespace platform::ui
