#include "poemtable.h"

#include <QtGlobal>

#include "platform/sjis.h"

namespace deck {

PoemTableData PoemTable;

void PoemTableData::fill()
{
    auto sjis = [](const char *utf8) { return PoemString(platform::sjis::encode(QString::fromUtf8(utf8))); };
    for (int no = 1; no <= kPoemCount; ++no) {
        const detail::PoemSource &src = detail::kPoemSource[no - 1];
        PoemEntry &row = rows_[no];
        row.Kaminoku = sjis(src.kaminoku);
        row.Shimonoku = sjis(src.shimonoku);
        row.Kimariji = sjis(src.kimariji);
        row.ShimoKimariji = sjis(src.shimoKimariji);
    }
    filled_ = true;
}

const PoemEntry &PoemTableData::operator[](PoemNo no) const
{
    Q_ASSERT_X(no >= 1 && no <= kPoemCount, "PoemTable", "poem numbers run from 1 to 100");
    Q_ASSERT_X(filled_, "PoemTable", "read before the main window filled it");
    return rows_[static_cast<std::size_t>(no)];
}

PoemNo PoemTableData::numberOf(const PoemEntry &entry) const
{
    for (PoemNo no = 1; filled_ && no <= kPoemCount; ++no)
        if (rows_[static_cast<std::size_t>(no)].Kaminoku == entry.Kaminoku)
            return no;
    return 0;
}

} // namespace deck
