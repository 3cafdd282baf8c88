#include "readingoption.h"

#include <QCheckBox>
#include <QSignalBlocker>

#include "voice/speaker.h"

namespace voice {

void setGameReading(const platform::Services &services, Options &options, bool on)
{
    options.gameReading = on && status(services).usable;
}

void showGameReading(const platform::Services &services, const Options &options, QCheckBox *box)
{
    const Status st = status(services);
    const QSignalBlocker quiet(box);
    box->setEnabled(st.usable);
    box->setChecked(options.gameReading);
    box->setToolTip(st.usable ? QStringLiteral("読み札を声でも読み上げます") : st.detail);
}

void connectGameReading(const platform::Services &services, Options &options, QCheckBox *box)
{
    QObject::connect(box, &QCheckBox::toggled, box, [&services, &options, box](bool on) {
        setGameReading(services, options, on);
        showGameReading(services, options, box);
    });
}

} // namespace voice
