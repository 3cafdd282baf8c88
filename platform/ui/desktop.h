#pragma once

#include <QApplication>

namespace platform::ui {

// Puts the real clock, screen, beep, sound, input box and error display in
// place of the silent defaults.
void installDesktopServices();

// Loads Qt's Japanese translations (qtbase_ja) into `app`; false when the
// translations are not installed.
bool installJapaneseTranslations(QCoreApplication &app);

// The application object: an error that escapes an event handler is shown
// by the standard error display instead of ending the program.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace platform::ui
