#include "measurer.h"

namespace tategaki {

int TategakiMeasurer::extent(QStringView run)
{
    std::vector<int> prefix;
    prefixExtents(run, prefix);
    return prefix.back();
}

FixedMeasurer::FixedMeasurer(int full, int half, int fontSize)
    : full_(full), half_(half), fontSize_(fontSize < 0 ? full : fontSize)
{
}

bool FixedMeasurer::isHalfWidth(char16_t c)
{
    return c < 0x100 || (c >= 0xFF61 && c <= 0xFF9F);
}

void FixedMeasurer::prefixExtents(QStringView run, std::vector<int> &out)
{
    out.resize(run.size() + 1);
    out[0] = 0;
    for (qsizetype i = 0; i < run.size(); ++i) {
        const char16_t c = run[i].unicode();
        const int advance = c < 0x20 ? 0 : isHalfWidth(c) ? half_ : full_;
        out[i + 1] = out[i] + advance;
    }
}

} // namespace tategaki
