#pragma once

#include <QDialog>

#include <array>
#include <functional>

#include "play/standardlayout.h"

class QComboBox;
class QListWidget;
class QPushButton;
namespace platform {
class Messages;
}

// The editor of the player's standard layout: their side's six zones as
// lists, top row first as they see the floor. Poems are dragged between
// zones, or a whole set (a family, a 友札 group …) is sent to a zone.
class TF_Layout : public QDialog {
    Q_OBJECT
public:
    // Why a layout could not be kept is told through `messages`.
    TF_Layout(const match::StandardLayout &layout, platform::Messages &messages, QWidget *parent = nullptr);

    std::array<QListWidget *, match::kZones> LstZone;
    QComboBox *CbSet;
    QComboBox *CbZone;
    QPushButton *BtnMove;
    QPushButton *BtnDefault;
    QPushButton *BtnSave;
    QPushButton *BtnCancel;

    // Called with the layout on 保存; returns why it could not be kept (the
    // editor then stays open), empty when it was.
    std::function<QString(const match::StandardLayout &)> onSave;

    void showLayout(const match::StandardLayout &layout);
    // The layout the lists show now.
    std::optional<match::StandardLayout> layout() const;
    void BtnMoveClick();
    void BtnSaveClick();

private:
    platform::Messages &messages_;
};
