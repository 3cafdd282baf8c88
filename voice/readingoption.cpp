#include "readingoption.h"

#include <QCheckBox>
#include <QSignalBlocker>

#include "voice/speaker.h"

namespace voice {

void setGameReading(Options &options, bool on)
{
    options.gameReading = on && status().usable;
}

void showGameReading(const Options &options, QCheckBox *box)
{
    const Status st = status();
    const QSignalBlocker quiet(box);
    box->setEnabled(st.usable);
    box->setChecked(options.gameReading);
    box->setToolTip(st.usable ? QStringLiteral("読み札を声でも読み上げます") : st.detail);
}

void connectGameReading(Options &options, QCheckBox *box)
{
    QObject::connect(box, &QCheckBox::toggled, box, [&options, box](bool on) {
        setGameReading(options, on);
        showGameReading(options, box);
    });
}

} // namespace voice
