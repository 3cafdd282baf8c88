#pragma once

#include <QDialog>
#include <QList>

#include "history/ownsets.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace deck {
class PoemTableData;
}
namespace platform {
class Messages;
}

// The player's own sets and the review's options, opened from the quiz:
// a list of the sets, and an editor where a set is named and its poems are
// ticked in a grid of the hundred or typed as numbers. Everything is saved
// in the history file (playerstore.h) when the player presses its button;
// the review's options as soon as they change.
class OwnSetsDialog : public QDialog {
    Q_OBJECT
public:
    // The grid's tooltips show the upper verses of `poems`.
    OwnSetsDialog(const deck::PoemTableData &poems, platform::Messages &messages, QWidget *parent = nullptr);

    QListWidget *LstSets;
    QPushButton *BtnNew;
    QPushButton *BtnDelete;
    QLineEdit *EdName;
    QLineEdit *EdNumbers; // the ticked poems as a line; typing ticks them
    QList<QCheckBox *> CbPoems; // CbPoems[i] is poem i + 1
    QLabel *LblProblem;
    QPushButton *BtnSave;
    QPushButton *BtnImport;
    QPushButton *BtnExport;
    QPushButton *BtnCopy;
    QPushButton *BtnPaste;
    QSpinBox *SpRetention; // percent
    QSpinBox *SpNewPerDay;

    const QList<history::OwnSet> &sets() const { return sets_; }
    QList<int> tickedPoems() const;

    void BtnSaveClick();
    void BtnDeleteClick();
    void BtnNewClick();
    void done(int result) override; // asks before edits not saved are lost
    // The set in a file, or on the clipboard, comes into the editor as a new set.
    bool importFile(const QString &path);
    bool exportFile(const QString &path);
    void importLine(const QString &line);

private:
    void buildLayout(const deck::PoemTableData &poems);
    void clearEditor();
    QString editorLine() const;
    bool mayLeave(); // true when nothing unsaved is lost, or the player lets it go
    void reload(qint64 select);
    void showSet(int row);
    void numbersEdited();
    void poemToggled();
    void optionsChanged();
    void tell(const QString &problem);

    platform::Messages &messages_;
    QList<history::OwnSet> sets_;
    qint64 editing_ = 0; // id of the set in the editor; 0 for a new one
    int shownRow_ = -1;  // the list's row in the editor
    QString saved_;      // the editor's line as last shown or saved
    bool syncing_ = false;
};
