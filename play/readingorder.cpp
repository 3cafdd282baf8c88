#include "readingorder.h"

namespace match {

bool ReadingOrder::next()
{
    if (open_ || runOut())
        return false;
    if (number_ >= 1)
        readBefore_.set(std::size_t(poem()));
    ++number_;
    open_ = true;
    return true;
}

} // namespace match
