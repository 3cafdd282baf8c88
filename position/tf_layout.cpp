#include "tf_layout.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include "deck/spoken.h"
#include "platform/gui/fonts.h"
#include "platform/services.h"
#include "play/drillsets.h"

using namespace match;

namespace {

// A poem in a list: its number and its deciding syllables as heard.
QString poemLabel(int poem)
{
    return QStringLiteral("%1 %2").arg(poem, 3).arg(deck::spokenKaminoku(poem).opening(deck::decidingMorae(poem, {})));
}

} // namespace

TF_Layout::TF_Layout(const StandardLayout &layout, platform::Messages &messages, QWidget *parent)
    : QDialog(parent), messages_(messages)
{
    setObjectName(QStringLiteral("F_Layout"));
    setWindowTitle(QStringLiteral("定位置"));
    setFont(platform::fonts::font(platform::fonts::MSPGothic, 12));
    setFixedSize(560, 600);

    auto *help = new QLabel(QStringLiteral("自陣の6か所に置く札を決めます。札は列の間でドラッグして移せます。"
                                           "列の上から順に、外側から並べます。"),
                            this);
    help->setGeometry(8, 4, 544, 36);
    help->setWordWrap(true);
    for (int z = 0; z < kZones; ++z) {
        const int x = zoneIsRight(z) ? 284 : 8;
        const int y = 44 + zoneRow(z) * 160;
        auto *title = new QLabel(zoneName(z), this);
        title->setGeometry(x, y, 268, 18);
        QListWidget *l = new QListWidget(this);
        l->setObjectName(QStringLiteral("LstZone%1").arg(z));
        l->setGeometry(x, y + 20, 268, 134);
        l->setDragDropMode(QAbstractItemView::DragDrop);
        l->setDefaultDropAction(Qt::MoveAction);
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        l->setFlow(QListView::LeftToRight);
        l->setWrapping(true);
        // Two columns side by side with room left for the scroll bar, which
        // a zone of 25 cards shows.
        const int inside = l->width() - 2 * l->frameWidth() - l->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, l);
        l->setGridSize(QSize(inside / 2 - 2, 20));
        l->setResizeMode(QListView::Adjust);
        LstZone[std::size_t(z)] = l;
    }
    CbSet = new QComboBox(this);
    CbSet->setObjectName(QStringLiteral("CbSet"));
    CbSet->setGeometry(8, 532, 200, 28);
    for (const play::DrillSet &set : play::drillSets())
        CbSet->addItem(QStringLiteral("%1 (%2首)").arg(set.name()).arg(set.poems.size()));
    CbZone = new QComboBox(this);
    CbZone->setObjectName(QStringLiteral("CbZone"));
    CbZone->setGeometry(212, 532, 90, 28);
    for (int z = 0; z < kZones; ++z)
        CbZone->addItem(zoneName(z), z);
    CbZone->setCurrentIndex(kZones - 1);
    BtnMove = new QPushButton(QStringLiteral("へ移す"), this);
    BtnMove->setGeometry(306, 532, 80, 28);
    BtnDefault = new QPushButton(QStringLiteral("おすすめに戻す"), this);
    BtnDefault->setGeometry(8, 566, 130, 28);
    BtnSave = new QPushButton(QStringLiteral("保存"), this);
    BtnSave->setGeometry(384, 566, 80, 28);
    BtnCancel = new QPushButton(QStringLiteral("閉じる"), this);
    BtnCancel->setGeometry(472, 566, 80, 28);

    connect(BtnMove, &QPushButton::clicked, this, &TF_Layout::BtnMoveClick);
    connect(BtnDefault, &QPushButton::clicked, this, [this] { showLayout(defaultLayout()); });
    connect(BtnSave, &QPushButton::clicked, this, &TF_Layout::BtnSaveClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    showLayout(layout);
}

void TF_Layout::showLayout(const StandardLayout &layout)
{
    for (int z = 0; z < kZones; ++z) {
        QListWidget *l = LstZone[std::size_t(z)];
        l->clear();
        for (int poem : layout.zones()[std::size_t(z)]) {
            auto *item = new QListWidgetItem(poemLabel(poem), l);
            item->setData(Qt::UserRole, poem);
        }
    }
}

std::optional<StandardLayout> TF_Layout::layout() const
{
    StandardLayout::Zones zones;
    for (int z = 0; z < kZones; ++z)
        for (int i = 0; i < LstZone[std::size_t(z)]->count(); ++i)
            zones[std::size_t(z)] << LstZone[std::size_t(z)]->item(i)->data(Qt::UserRole).toInt();
    return StandardLayout::fromZones(zones);
}

void TF_Layout::BtnMoveClick()
{
    const int set = CbSet->currentIndex();
    const auto now = layout();
    if (set < 0 || !now)
        return;
    StandardLayout::Zones zones = now->zones();
    const QList<deck::PoemNo> &poems = play::drillSets()[set].poems;
    for (QList<int> &zone : zones)
        zone.removeIf([&](int p) { return poems.contains(p); });
    for (int p : poems)
        zones[std::size_t(CbZone->currentData().toInt())] << p;
    showLayout(*StandardLayout::fromZones(zones));
}

void TF_Layout::BtnSaveClick()
{
    if (const auto l = layout()) {
        if (const QString problem = onSave ? onSave(*l) : QString(); !problem.isEmpty()) {
            messages_.inform(problem);
            return;
        }
        accept();
    }
}
