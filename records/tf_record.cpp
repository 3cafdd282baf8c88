#include "tf_record.h"

#include <QKeyEvent>

#include <QFileInfo>

#include "platform/services.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/kit.h"
#include "records/recordsfile.h"
#include "records/statictext.h"

using namespace platform;
using namespace platform::ui;
using records::StaticText;

TF_RecordS *F_RecordS = nullptr;
TF_RecordM *F_RecordM = nullptr;
TF_RecordL *F_RecordL = nullptr;

namespace {

constexpr int Rows = 10;
constexpr int CellHeight = 17;

struct Column {
    int x;
    int width;
    Qt::Alignment alignment;
    const char *head;
};

const Column Columns[] = {
    {16, 41, Qt::AlignRight, "順位"},
    {72, 41, Qt::AlignRight, "得点"},
    {128, 185, Qt::AlignLeft, "氏名"},
    {328, 81, Qt::AlignHCenter, "日付"},
};

QString cellName(int column, int row)
{
    return QStringLiteral("st%1%2").arg(column).arg(row);
}

StaticText *cell(const QWidget *panel, int column, int row)
{
    auto *c = findControl<StaticText>(panel, QStringLiteral("st%1").arg(column), row);
    Q_ASSERT(c);
    return c;
}

} // namespace

TF_Record::TF_Record(const QString &caption, const QString &recordsFile, platform::Services &services,
                     QWidget *parent)
    : Form(caption, QSize(592, 423), parent), recordsFile_(recordsFile), services_(services)
{
    setFont(fonts::font(fonts::MSPGothic, 12));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colors::clBtnFace);
    setPalette(pal);

    Button1 = kit::button(this, QStringLiteral("Button1"), QStringLiteral("O K"), QRect(464, 352, 105, 41),
                          fonts::font(fonts::MSPGothic, 19, true));
    connect(Button1, &QPushButton::clicked, this, &TF_Record::Button1Click);

    Panel1 = kit::panel(this, QStringLiteral("Panel1"), QRect(24, 24, 425, 369));
    Panel1->setEnabled(false); // it only displays

    // Each column holds ten System cells: a date or a full name.
    const QFont cellFont = fonts::font(fonts::System, 16, true);
    for (int c = 0; c < 4; ++c) {
        const Column &col = Columns[c];
        auto *head = new StaticText(QStringLiteral("ST%1").arg(c + 1), QRect(col.x, 16, col.width, CellHeight),
                                    Qt::AlignHCenter, colors::clYellow, Panel1);
        head->setFont(cellFont);
        head->setText(QString::fromUtf8(col.head));
        for (int r = 0; r < Rows; ++r) {
            auto *st = new StaticText(cellName(c + 1, r), QRect(col.x, 48 + 32 * r, col.width, CellHeight),
                                      col.alignment, colors::clWhite, Panel1);
            st->setFont(cellFont);
        }
    }
    Button1->setFocus();
}

void TF_Record::FormShow()
{
    // Rows past the last entry are cleared too, so the grid always shows
    // the file as it is now.
    for (int r = 0; r < Rows; ++r)
        for (int c = 1; c <= 4; ++c)
            cell(Panel1, c, r)->clear();

    const QString &path = recordsFile_;
    QString message;
    QString damage;
    try {
        const records::Table table = records::readTable(path);
        for (int r = 0; r < table.entries.size(); ++r) {
            const records::RecordsEntry &e = table.entries[r];
            cell(Panel1, 1, r)->setText(QString::number(r + 1));
            cell(Panel1, 2, r)->setText(e.Tokuten.text());
            cell(Panel1, 3, r)->setText(e.Shimei.text());
            cell(Panel1, 4, r)->setText(e.Hiduke.text());
        }
        damage = table.damage;
    } catch (const records::RecordsError &e) {
        message = QStringLiteral("記録を表示できません。\n\n") + QString::fromUtf8(e.what());
    }
    Button1->setFocus();
    // The message comes once the window is on screen, over the rows read
    // before the fault, rather than in place of it.
    if (!message.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, message] { services_.errors->showError(message); }, Qt::QueuedConnection);
    } else if (!damage.isEmpty()) {
        QMetaObject::invokeMethod(this, [this, path, damage] { offerNewTable(path, damage); }, Qt::QueuedConnection);
    }
}

void TF_Record::offerNewTable(const QString &path, const QString &damage)
{
    const QString aside = records::setAsideName(path);
    const QString question =
        QStringLiteral("記録ファイル「%1」が壊れています(%2)。表には、読めたところまでの記録を出しています。\n\n"
                       "このファイルを消さずに「%3」という名前で残し、新しい記録表を始めますか?\n"
                       "「いいえ」を選ぶと、ファイルはそのまま残ります。ただし、このままではこの盤の得点を記録できません。")
            .arg(records::shownPath(path), damage, QFileInfo(aside).fileName());
    if (!services_.messages->askYesNo(question))
        return;
    try {
        records::setAside(path, aside);
    } catch (const records::RecordsError &e) {
        services_.errors->showError(QStringLiteral("新しい記録表を始められませんでした。\n\n")
                                + QString::fromUtf8(e.what()));
        return;
    }
    if (isVisible())
        FormShow();
}

void TF_Record::Button1Click()
{
    closeAndShowMain();
}

void TF_Record::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the focused button, as on the desktop's own dialogs.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && Button1->hasFocus()) {
        Button1->animateClick();
        return;
    }
    Form::keyPressEvent(event);
}

TF_RecordS::TF_RecordS(const QString &recordsFile, platform::Services &services, QWidget *parent)
    : TF_Record(QStringLiteral("琴葉記録Ｓ"), recordsFile, services, parent)
{
    setObjectName(QStringLiteral("F_RecordS"));
}

TF_RecordM::TF_RecordM(const QString &recordsFile, platform::Services &services, QWidget *parent)
    : TF_Record(QStringLiteral("琴葉記録Ｍ"), recordsFile, services, parent)
{
    setObjectName(QStringLiteral("F_RecordM"));
}

TF_RecordL::TF_RecordL(const QString &recordsFile, platform::Services &services, QWidget *parent)
    : TF_Record(QStringLiteral("琴葉記録Ｌ"), recordsFile, services, parent)
{
    setObjectName(QStringLiteral("F_RecordL"));
}
