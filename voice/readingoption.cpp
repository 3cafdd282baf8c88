#include "readingoption.h"

#include <QCheckBox>
#include <QSignalBlocker>

#include "voice/speaker.h"

namespace voice {

void setGameReading(bool on)
{
    options().gameReading = on && status().usable;
}

void showGameReading(QCheckBox *box)
{
    const Status st = status();
    const QSignalBlocker quiet(box);
    box->setEnabled(st.usable);
    box->setChecked(options().gameReading);
    box->setToolTip(st.usable ? QStringLiteral("読み札を声でも読み上げます") : st.detail);
}

void connectGameReading(QCheckBox *box)
{
    QObject::connect(box, &QCheckBox::toggled, box, [box](bool on) {
        setGameReading(on);
        showGameReading(box);
    });
}

} // namespace voice
