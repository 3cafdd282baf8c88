#include "notice.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace history {
namespace {

// Takes no key at all: QDialog would press a button on Enter, Space or
// Escape, and a key meant for the game would close the message unread.
class AsideBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent *event) override { event->ignore(); }
};

} // namespace

QMessageBox *showAside(const QString &message)
{
    auto *box = new AsideBox(QMessageBox::Information, QStringLiteral("琴葉"), message, QMessageBox::Ok,
                             QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setWindowModality(Qt::NonModal);
    box->button(QMessageBox::Ok)->setFocusPolicy(Qt::NoFocus);
    box->show();
    return box;
}

void AsideNotice::tell(const QString &message)
{
    if (box_)
        box_->setText(message);
    else
        box_ = showAside(message);
}

void AsideNotice::amend(const QString &message)
{
    if (box_)
        box_->setText(message);
}

} // namespace history
