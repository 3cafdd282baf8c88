#include "replayview.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "deck/poemtable.h"
#include "play/floorgeometry.h"
#include "play/matchcard.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/kit.h"
#include "platform/services.h"
#include "platform/wholefile.h"
#include "platform/ui/panel.h"

using namespace match;
using namespace platform;

MatchReplayView::MatchReplayView(const deck::PoemTableData &poems, const Replay &replay, const QString &name,
                                 QWidget *parent)
    : QDialog(parent), replay_(replay), floor_(this, QPoint(8, 8))
{
    setObjectName(QStringLiteral("MatchReplayView"));
    setWindowTitle(QStringLiteral("試合の記録 %1").arg(name));
    setFont(fonts::font(fonts::MSPGothic, 12));

    PField = floor_.panel();

    const int right = PField->geometry().right() + 8;
    const int barWidth = 200;
    LblReading = new QLabel(this);
    LblReading->setObjectName(QStringLiteral("LblReading"));
    LblReading->setGeometry(right, 8, barWidth, PField->height() - 130);
    LblReading->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    LblReading->setWordWrap(true);
    LblReading->setFont(fonts::font(fonts::MSPGothic, 13, true));
    const QFont buttonFont = fonts::font(fonts::MSPGothic, 14, true);
    const int bottom = PField->geometry().bottom();
    BtnPrev = ui::kit::button(this, QStringLiteral("BtnPrev"), QStringLiteral("前へ"),
                              QRect(right, bottom - 112, barWidth / 2 - 4, 32), buttonFont);
    BtnNext = ui::kit::button(this, QStringLiteral("BtnNext"), QStringLiteral("次へ"),
                              QRect(right + barWidth / 2 + 4, bottom - 112, barWidth / 2 - 4, 32), buttonFont);
    BtnClose = ui::kit::button(this, QStringLiteral("BtnClose"), QStringLiteral("閉じる"),
                               QRect(right, bottom - 32, barWidth, 32), buttonFont);
    setFixedSize(right + barWidth + 8, PField->geometry().bottom() + 9);

    for (int p = 1; p <= deck::kPoemCount; ++p) {
        cardOf(p)->setAttribute(Qt::WA_TransparentForMouseEvents); // a record is looked at, not played
        floor_.writeFace(p, poems);
    }

    connect(BtnPrev, &QPushButton::clicked, this, &MatchReplayView::BtnPrevClick);
    connect(BtnNext, &QPushButton::clicked, this, &MatchReplayView::BtnNextClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    showFrame(0);
}

std::unique_ptr<MatchReplayView> MatchReplayView::open(const deck::PoemTableData &poems, Messages &messages,
                                                      const QString &path, QWidget *parent)
{
    // A whole match takes some tens of kilobytes.
    constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    const QFileInfo info(path);
    const platform::WholeFile file = platform::readWholeFile(path, kMaxBytes);
    if (!file.problem.isEmpty()) {
        messages.inform(QStringLiteral("%1 を試合の記録として読めません: %2").arg(info.fileName(), file.problem));
        return nullptr;
    }
    const RecordRead read = readRecord(file.bytes);
    if (!read.record) {
        messages.inform(
            QStringLiteral("%1 の %2行目が読めません: %3").arg(info.fileName()).arg(read.line).arg(read.reason));
        return nullptr;
    }
    return std::make_unique<MatchReplayView>(poems, replayRecord(*read.record), info.fileName(), parent);
}

void MatchReplayView::BtnPrevClick()
{
    showFrame(frame_ - 1);
}

void MatchReplayView::BtnNextClick()
{
    showFrame(frame_ + 1);
}

void MatchReplayView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Left)
        BtnPrevClick();
    else if (event->key() == Qt::Key_Right)
        BtnNextClick();
    else
        QDialog::keyPressEvent(event);
}

void MatchReplayView::showFrame(int n)
{
    frame_ = std::clamp(n, 0, frames() - 1);
    const ReplayedReading *reading = frame_ > 0 ? &replay_.readings[frame_ - 1] : nullptr;
    const Field &field = reading ? reading->field : replay_.arranged;
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        MatchCard *c = cardOf(p);
        std::optional<Place> at = field.find(p);
        c->setColor(colors::clBtnFace);
        // The card just taken is shown where it lay, unless a card sent
        // across has taken that place since.
        if (reading && p == reading->summary.poem && reading->summary.taker && reading->summary.takenFrom
            && !field.at(*reading->summary.takenFrom)) {
            at = reading->summary.takenFrom;
            c->setColor(*reading->summary.taker == Side::Player ? colors::clBlue : colors::clRed);
        }
        if (!at) {
            c->hide();
            continue;
        }
        floor_.lay(p, *at);
    }
    // One item a line: the bar is narrow.
    QString text = reading ? readingText(*reading).replace(QStringLiteral(": "), QStringLiteral("\n")).replace(u'、', u'\n')
                           : QStringLiteral("読みの前の並び\n自陣 %1枚\n敵陣 %2枚")
                                 .arg(field.count(Side::Player))
                                 .arg(field.count(Side::Opponent));
    if (frame_ == frames() - 1)
        text += QStringLiteral("\n\n") + (replay_.errorLine ? QStringLiteral("%1行目で止まりました: %2").arg(QString::number(replay_.errorLine), replay_.error)
                                                           : resultText(replay_));
    LblReading->setText(QStringLiteral("%1 / %2\n\n").arg(frame_).arg(frames() - 1) + text);
    BtnPrev->setEnabled(frame_ > 0);
    BtnNext->setEnabled(frame_ < frames() - 1);
}
