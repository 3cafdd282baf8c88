#include "desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>

#include "../services.h"
#include "../sjis.h"
#include "platform/gui/fonts.h"
#include "modules.h"
#include "soundmodule.h"

namespace platform::ui {
namespace {

class DesktopScreen final : public Screen {
public:
    int primaryHeight() const override
    {
        const QScreen *s = QGuiApplication::primaryScreen();
        return s ? s->geometry().height() : 0;
    }
};

class DesktopBeeper final : public Beeper {
public:
    void beep() override { QApplication::beep(); }
};

// No player without the module: the callers then play without sound.
std::unique_ptr<WavePlayer> newWavePlayer()
{
    const auto make = reinterpret_cast<soundmodule::NewWavePlayerFunction>(
        moduleFunction(soundmodule::FileName, soundmodule::Version, soundmodule::NewWavePlayer));
    return std::unique_ptr<WavePlayer>(make ? make() : nullptr);
}

// The input box keeps the field to 255 bytes of Shift-JIS text.
class DialogInputBox final : public InputBox {
public:
    QString ask(const QString &caption, const QString &prompt, const QString &defaultText) override
    {
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(caption);
        dialog.setLabelText(prompt);
        dialog.setTextValue(defaultText);
        dialog.setInputMode(QInputDialog::TextInput);
        // The dialog's own signal: its line edit is not reliably the first
        // QLineEdit among its children, and a paste must be cut as well.
        QObject::connect(&dialog, &QInputDialog::textValueChanged, &dialog, [&dialog](const QString &text) {
            const QByteArray bytes = sjis::encode(text);
            if (bytes.size() > 255)
                dialog.setTextValue(sjis::decode(sjis::truncated(bytes, 255)));
        });
        return dialog.exec() == QDialog::Accepted ? dialog.textValue() : defaultText;
    }
};

// Every message window bears the program's name, whatever the executable
// is called.
const QString MessageTitle = QStringLiteral("琴葉");

class MessageBoxErrors final : public ErrorDisplay {
public:
    void showError(const QString &message) override
    {
        QMessageBox box(QMessageBox::Warning, MessageTitle, message, QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }
};

class MessageBoxes final : public Messages {
public:
    void inform(const QString &message) override
    {
        QMessageBox box(QMessageBox::Information, MessageTitle, message, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }
    bool askYesNo(const QString &message) override
    {
        // No is the default: a stray Enter never renames a file.
        QMessageBox box(QMessageBox::Question, MessageTitle, message, QMessageBox::Yes | QMessageBox::No,
                        QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
};

} // namespace

bool installJapaneseTranslations(QCoreApplication &app)
{
    // Qt's own dialogs (buttons of the name prompt and the message windows)
    // speak Japanese whatever the system's locale, like the program.
    auto *qt = new QTranslator(&app);
    if (!qt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    app.installTranslator(qt);
    return true;
}

void installDesktopServices()
{
    static DesktopScreen screen;
    static DesktopBeeper beeper;
    static DialogInputBox input;
    static MessageBoxErrors errors;
    static MessageBoxes messages;
    Services &s = services();
    s.screen = &screen;
    s.beeper = &beeper;
    s.inputBox = &input;
    s.errors = &errors;
    s.messages = &messages;
    s.makeWavePlayer = newWavePlayer;
    s.hasAudioOutput = [] {
        const auto hasOutput = reinterpret_cast<soundmodule::HasAudioOutputFunction>(
            moduleFunction(soundmodule::FileName, soundmodule::Version, soundmodule::HasAudioOutput));
        return hasOutput && hasOutput();
    };
}

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // Mode windows close before the menu reappears: that gap must not end
    // the program. Only the main window's close does.
    setQuitOnLastWindowClosed(false);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        services().errors->showError(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace platform::ui
