#include "ownsetsdialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "deck/poemtable.h"
#include "deck/spoken.h"
#include "history/database.h"
#include "history/playerstore.h"
#include "platform/savefile.h"
#include "platform/services.h"
#include "platform/wholefile.h"

OwnSetsDialog::OwnSetsDialog(const deck::PoemTableData &poems, platform::Messages &messages, QWidget *parent)
    : QDialog(parent), messages_(messages)
{
    setObjectName(QStringLiteral("OwnSetsDialog"));
    setWindowTitle(QStringLiteral("自分の組と今日の復習"));
    buildLayout(poems);
    connect(LstSets, &QListWidget::currentRowChanged, this, &OwnSetsDialog::showSet);
    connect(BtnNew, &QPushButton::clicked, this, &OwnSetsDialog::BtnNewClick);
    connect(BtnDelete, &QPushButton::clicked, this, &OwnSetsDialog::BtnDeleteClick);
    connect(BtnSave, &QPushButton::clicked, this, &OwnSetsDialog::BtnSaveClick);
    connect(EdNumbers, &QLineEdit::textEdited, this, &OwnSetsDialog::numbersEdited);
    for (QCheckBox *box : std::as_const(CbPoems))
        connect(box, &QCheckBox::toggled, this, &OwnSetsDialog::poemToggled);
    connect(BtnImport, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("組を読み込む"), {},
                                                          QStringLiteral("テキスト (*.txt);;すべて (*)"));
        if (!path.isEmpty())
            importFile(path);
    });
    connect(BtnExport, &QPushButton::clicked, this, [this] {
        const QString name = EdName->text().trimmed();
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("組を書き出す"),
                                                          (name.isEmpty() ? QStringLiteral("組") : name) + QStringLiteral(".txt"),
                                                          QStringLiteral("テキスト (*.txt)"));
        if (!path.isEmpty())
            exportFile(path);
    });
    connect(BtnCopy, &QPushButton::clicked, this, [this] {
        QGuiApplication::clipboard()->setText(history::setLine(EdName->text(), tickedPoems()));
    });
    connect(BtnPaste, &QPushButton::clicked, this, [this] { importLine(QGuiApplication::clipboard()->text()); });

    const history::ReviewOptions options = history::reviewOptions();
    SpRetention->setValue(qRound(options.retention * 100));
    SpNewPerDay->setValue(options.newPerDay);
    connect(SpRetention, &QSpinBox::valueChanged, this, &OwnSetsDialog::optionsChanged);
    connect(SpNewPerDay, &QSpinBox::valueChanged, this, &OwnSetsDialog::optionsChanged);

    reload(0);
    clearEditor();
}

void OwnSetsDialog::buildLayout(const deck::PoemTableData &poems)
{
    auto *sets = new QVBoxLayout;
    sets->addWidget(new QLabel(QStringLiteral("自分の組")));
    LstSets = new QListWidget;
    LstSets->setObjectName(QStringLiteral("LstSets"));
    LstSets->setMinimumWidth(170);
    sets->addWidget(LstSets, 1);
    BtnNew = new QPushButton(QStringLiteral("新しい組"));
    BtnDelete = new QPushButton(QStringLiteral("削除"));
    auto *listButtons = new QHBoxLayout;
    listButtons->addWidget(BtnNew);
    listButtons->addWidget(BtnDelete);
    sets->addLayout(listButtons);

    auto *editor = new QVBoxLayout;
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("名前")));
    EdName = new QLineEdit;
    EdName->setObjectName(QStringLiteral("EdName"));
    // The rule's own message says the limit; an emoji may take several units.
    EdName->setMaxLength(history::kSetNameMax * 8);
    nameRow->addWidget(EdName, 1);
    editor->addLayout(nameRow);

    // The hundred, ten to a row: the number and the upper verse's first sounds.
    auto *grid = new QGridLayout;
    grid->setSpacing(2);
    for (int no = 1; no <= deck::kPoemCount; ++no) {
        auto *box = new QCheckBox(QStringLiteral("%1 %2").arg(no).arg(deck::spokenKaminoku(no).opening(3)));
        box->setObjectName(QStringLiteral("CbPoem%1").arg(no));
        box->setToolTip(poems[no].Kaminoku.text());
        CbPoems << box;
        grid->addWidget(box, (no - 1) / 10, (no - 1) % 10);
    }
    editor->addLayout(grid);

    auto *numbersRow = new QHBoxLayout;
    numbersRow->addWidget(new QLabel(QStringLiteral("番号")));
    EdNumbers = new QLineEdit;
    EdNumbers->setObjectName(QStringLiteral("EdNumbers"));
    EdNumbers->setPlaceholderText(QStringLiteral("例: 1 5 23 (空白・コンマ区切り、全角数字も可)"));
    numbersRow->addWidget(EdNumbers, 1);
    editor->addLayout(numbersRow);
    LblProblem = new QLabel;
    LblProblem->setObjectName(QStringLiteral("LblProblem"));
    QPalette red = LblProblem->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LblProblem->setPalette(red);
    editor->addWidget(LblProblem);

    BtnSave = new QPushButton(QStringLiteral("保存"));
    BtnImport = new QPushButton(QStringLiteral("ファイルから読み込む…"));
    BtnExport = new QPushButton(QStringLiteral("ファイルに書き出す…"));
    BtnCopy = new QPushButton(QStringLiteral("コピー"));
    BtnCopy->setToolTip(QStringLiteral("組を「名前: 番号 番号 …」の1行でクリップボードへ"));
    BtnPaste = new QPushButton(QStringLiteral("貼り付け"));
    BtnPaste->setToolTip(QStringLiteral("クリップボードの1行を新しい組として編集欄へ"));
    auto *editButtons = new QHBoxLayout;
    for (QPushButton *b : {BtnSave, BtnImport, BtnExport, BtnCopy, BtnPaste})
        editButtons->addWidget(b);
    editButtons->addStretch(1);
    editor->addLayout(editButtons);

    // The review's options, applied to today's review as soon as they change.
    auto *review = new QGroupBox(QStringLiteral("今日の復習"));
    auto *reviewRow = new QHBoxLayout(review);
    reviewRow->addWidget(new QLabel(QStringLiteral("目標の想起率")));
    SpRetention = new QSpinBox;
    SpRetention->setObjectName(QStringLiteral("SpRetention"));
    SpRetention->setRange(qRound(history::kRetentionMin * 100), qRound(history::kRetentionMax * 100));
    SpRetention->setSuffix(QStringLiteral(" %"));
    SpRetention->setToolTip(QStringLiteral("思い出せる見込みがここまで下がった札が復習に出ます。高いほど復習が増えます。"));
    reviewRow->addWidget(SpRetention);
    reviewRow->addSpacing(16);
    reviewRow->addWidget(new QLabel(QStringLiteral("新しい札")));
    SpNewPerDay = new QSpinBox;
    SpNewPerDay->setObjectName(QStringLiteral("SpNewPerDay"));
    SpNewPerDay->setRange(0, history::kNewPerDayMax);
    SpNewPerDay->setSuffix(QStringLiteral(" 首/日"));
    reviewRow->addWidget(SpNewPerDay);
    reviewRow->addStretch(1);

    auto *close = new QPushButton(QStringLiteral("閉じる"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(review, 1);
    bottom->addWidget(close, 0, Qt::AlignBottom);

    auto *top = new QHBoxLayout;
    top->addLayout(sets);
    top->addLayout(editor, 1);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addLayout(bottom);
}

QList<int> OwnSetsDialog::tickedPoems() const
{
    QList<int> poems;
    for (int i = 0; i < CbPoems.size(); ++i)
        if (CbPoems[i]->isChecked())
            poems << i + 1;
    return poems;
}

// The list from the file, the set of id `select` current (none: no row).
void OwnSetsDialog::reload(qint64 select)
{
    sets_ = history::loadOwnSets(history::databasePath());
    const QSignalBlocker quiet(LstSets);
    LstSets->clear();
    for (const history::OwnSet &set : std::as_const(sets_)) {
        LstSets->addItem(QStringLiteral("%1 (%2首)").arg(set.name).arg(set.poems.size()));
        if (set.id == select)
            LstSets->setCurrentRow(LstSets->count() - 1);
    }
    BtnDelete->setEnabled(LstSets->currentRow() >= 0);
}

void OwnSetsDialog::showSet(int row)
{
    if (!mayLeave()) {
        const QSignalBlocker quiet(LstSets);
        LstSets->setCurrentRow(shownRow_);
        return;
    }
    shownRow_ = row;
    BtnDelete->setEnabled(row >= 0);
    if (row < 0 || row >= sets_.size())
        return;
    const history::OwnSet &set = sets_[row];
    EdName->setText(set.name);
    importLine(history::setLine({}, set.poems));
    editing_ = set.id; // importLine starts a new set
    saved_ = editorLine();
}

void OwnSetsDialog::BtnNewClick()
{
    if (mayLeave())
        clearEditor();
}

QString OwnSetsDialog::editorLine() const
{
    return history::setLine(EdName->text(), tickedPoems());
}

bool OwnSetsDialog::mayLeave()
{
    return editorLine() == saved_ || messages_.askYesNo(QStringLiteral("保存していない変更があります。破棄しますか?"));
}

void OwnSetsDialog::done(int result)
{
    if (mayLeave())
        QDialog::done(result);
}

void OwnSetsDialog::clearEditor()
{
    editing_ = 0;
    shownRow_ = -1;
    {
        const QSignalBlocker quiet(LstSets);
        LstSets->setCurrentRow(-1);
    }
    BtnDelete->setEnabled(false);
    EdName->clear();
    importLine({});
    saved_ = editorLine();
    tell({});
    EdName->setFocus();
}

void OwnSetsDialog::BtnSaveClick()
{
    QStringList others;
    for (const history::OwnSet &set : std::as_const(sets_))
        if (set.id != editing_)
            others << set.name;
    QString problem = history::nameProblem(EdName->text(), others);
    if (problem.isEmpty())
        problem = history::poemsProblem(tickedPoems());
    if (problem.isEmpty()) {
        history::OwnSet set{editing_, history::setName(EdName->text()), tickedPoems()};
        problem = history::saveOwnSet(history::databasePath(), set);
        if (problem.isEmpty()) {
            editing_ = set.id;
            reload(set.id);
            shownRow_ = LstSets->currentRow();
            saved_ = editorLine();
        }
    }
    tell(problem);
}

void OwnSetsDialog::BtnDeleteClick()
{
    const int row = LstSets->currentRow();
    if (row < 0 || row >= sets_.size())
        return;
    if (!messages_.askYesNo(QStringLiteral("組「%1」を削除しますか?").arg(sets_[row].name)))
        return;
    const QString problem = history::deleteOwnSet(history::databasePath(), sets_[row].id);
    if (!problem.isEmpty()) {
        tell(problem);
        return;
    }
    reload(0);
    clearEditor();
}

// A line typed, pasted or read: its poems are ticked, its name (if any)
// replaces the editor's, and it becomes a new set until saved.
void OwnSetsDialog::importLine(const QString &line)
{
    const history::ParsedLine parsed = line.trimmed().isEmpty() ? history::ParsedLine{} : history::parseSetLine(line);
    if (!parsed.problem.isEmpty()) {
        tell(parsed.problem);
        return;
    }
    if (!parsed.name.isEmpty())
        EdName->setText(parsed.name);
    editing_ = 0;
    syncing_ = true;
    for (int i = 0; i < CbPoems.size(); ++i)
        CbPoems[i]->setChecked(parsed.poems.contains(i + 1));
    syncing_ = false;
    EdNumbers->setText(history::setLine({}, parsed.poems));
    tell({});
}

bool OwnSetsDialog::importFile(const QString &path)
{
    const platform::WholeFile file = platform::readWholeFile(path, history::kSetFileMax);
    if (!file.problem.isEmpty()) {
        tell(QStringLiteral("ファイルを読めませんでした: %1").arg(file.problem));
        return false;
    }
    const history::ParsedLine parsed = history::parseSetFile(file.bytes);
    if (!parsed.problem.isEmpty()) {
        tell(parsed.problem);
        return false;
    }
    if (!mayLeave())
        return false;
    clearEditor();
    importLine(history::setLine(parsed.name, parsed.poems));
    return true;
}

bool OwnSetsDialog::exportFile(const QString &path)
{
    const QString problem = history::poemsProblem(tickedPoems());
    if (!problem.isEmpty()) {
        tell(problem);
        return false;
    }
    const QByteArray line = history::setLine(EdName->text(), tickedPoems()).toUtf8() + '\n';
    if (const int err = platform::saveWhole(path, line)) {
        tell(QStringLiteral("%1 に書き出せませんでした: %2")
                 .arg(QDir::toNativeSeparators(path), platform::saveFailureReason(err)));
        return false;
    }
    tell({});
    return true;
}

// Typing ticks the grid as soon as the line reads as poems; while it does
// not, the grid stays and the problem is shown.
void OwnSetsDialog::numbersEdited()
{
    const QString text = EdNumbers->text();
    const history::ParsedLine parsed = history::parseSetLine(text);
    if (!parsed.problem.isEmpty() && !text.trimmed().isEmpty()) {
        tell(parsed.problem);
        return;
    }
    syncing_ = true;
    for (int i = 0; i < CbPoems.size(); ++i)
        CbPoems[i]->setChecked(parsed.poems.contains(i + 1));
    syncing_ = false;
    if (!parsed.name.isEmpty())
        EdName->setText(parsed.name);
    tell({});
}

void OwnSetsDialog::poemToggled()
{
    if (!syncing_)
        EdNumbers->setText(history::setLine({}, tickedPoems()));
}

void OwnSetsDialog::optionsChanged()
{
    history::ReviewOptions options{SpRetention->value() / 100.0, SpNewPerDay->value()};
    history::reviewOptions() = options;
    tell(history::saveReviewOptions(history::databasePath(), options));
}

void OwnSetsDialog::tell(const QString &problem)
{
    LblProblem->setText(problem);
}
