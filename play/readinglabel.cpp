#include "readinglabel.h"

#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/kit.h"

namespace play {

tategaki::TLabelTategaki *readingLabel(QWidget *parent, const char *name, int tag, const QRect &bounds)
{
    auto *l = new tategaki::TLabelTategaki(parent);
    l->setLoading(true); // keep the bounds given here
    l->setObjectName(QLatin1String(name));
    l->setProperty("Tag", tag);
    l->setAutoSize(false);
    l->setGeometry(bounds);
    l->setFont(platform::fonts::font(QStringLiteral("@") + platform::fonts::System, 19, true));
    platform::ui::kit::setTextColor(l, platform::colors::clWindowText);
    l->setAlignment(tategaki::taLeftJustify);
    l->setLayout(tategaki::tlTop);
    l->setLineMargin(0);
    l->setMultiLine(true);
    l->setTategaki(true);
    l->setTransparent(false);
    l->setLoading(false);
    return l;
}

} // namespace play
