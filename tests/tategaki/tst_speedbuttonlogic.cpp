#include <QtTest>

#include <memory>
#include <vector>

#include "tategaki/speedbuttonlogic.h"

using namespace tategaki;

namespace {

// A parent with its buttons: the group announcement is a pass over them.
struct Board;

struct FakeButton : SpeedButtonHost {
    Board *board = nullptr;
    SpeedButtonLogic logic{*this};
    int repaints = 0;
    int clicks = 0;
    bool pointerOver = false;
    QStringList notices; // enter / leave notifications sent to itself

    void Invalidate() override { ++repaints; }
    void DoClick() override { ++clicks; }
    void announceToGroup() override;
    bool pointerIsOverThis() const override { return pointerOver; }
    void sendPointerEntered() override
    {
        notices << "enter";
        logic.pointerEntered();
    }
    void sendPointerLeft() override
    {
        notices << "leave";
        logic.pointerLeft();
    }
};

struct Board {
    std::vector<std::unique_ptr<FakeButton>> buttons;
    explicit Board(int n)
    {
        for (int i = 0; i < n; ++i) {
            buttons.push_back(std::make_unique<FakeButton>());
            buttons.back()->board = this;
        }
    }
    SpeedButtonLogic &operator[](int i) { return buttons[std::size_t(i)]->logic; }
    FakeButton &button(int i) { return *buttons[std::size_t(i)]; }
};

void FakeButton::announceToGroup()
{
    if (!board)
        return;
    for (auto &b : board->buttons)
        b->logic.groupButtonPressed(logic.GroupIndex(), logic);
}

char stateLetter(TTategakiButtonState s)
{
    return s == tbsUp ? 'U' : s == tbsPressed ? 'P' : 'L';
}

// Runs a script of pointer and property steps and returns the state after
// each step: "pL" left press, "pR" right press, "mi"/"mo" move inside /
// outside, "ri"/"ro" release inside / outside, "d1"/"d0" set Down,
// "e1"/"e0" enable / disable.
QString run(FakeButton &b, const QString &script)
{
    QString trace;
    for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
        SpeedButtonLogic &l = b.logic;
        if (step == "pL") l.press(Qt::LeftButton);
        else if (step == "pR") l.press(Qt::RightButton);
        else if (step == "mi") l.move(true);
        else if (step == "mo") l.move(false);
        else if (step == "ri") l.release(true);
        else if (step == "ro") l.release(false);
        else if (step == "d1") l.setDown(true);
        else if (step == "d0") l.setDown(false);
        else if (step == "e1") l.setEnabled(true);
        else if (step == "e0") l.setEnabled(false);
        else qFatal("bad step %s", qPrintable(step));
        trace += stateLetter(l.State());
    }
    return trace;
}

} // namespace

class tst_SpeedButtonLogic : public QObject {
    Q_OBJECT
private slots:
    void transitions_data();
    void transitions();
    void pressShowsAtOnceAndReleaseOutsideRestoresTheFace();
    void latchingReleasesTheOthers();
    void allowAllUpSpreadsToTheGroup();
    void otherGroupsAreLeftAlone();
    void leavingEveryGroupReleasesTheButton();
    void frameStyle_data();
    void frameStyle();
    void hotTracking();
    void updateTrackingAfterRelease_data();
    void updateTrackingAfterRelease();
    void ellipseHit_data();
    void ellipseHit();
    void shades_data();
    void shades();
    void imageToDraw_data();
    void imageToDraw();
    void placeImage_data();
    void placeImage();
    void textRoom();
};

void tst_SpeedButtonLogic::transitions_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<bool>("allowAllUp");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("down");

    QTest::newRow("up: left press") << 0 << false << "pL" << "P" << 0 << false;
    QTest::newRow("press, release inside: one click") << 0 << false << "pL ri" << "PU" << 1 << false;
    QTest::newRow("press inside, release outside: no click") << 0 << false << "pL mo ro" << "PUU" << 0 << false;
    QTest::newRow("out and back in before release: click") << 0 << false << "pL mo mi ri" << "PUPU" << 1 << false;
    QTest::newRow("moves inside keep it pressed") << 0 << false << "pL mi mi ri" << "PPPU" << 1 << false;
    QTest::newRow("double click is two clicks") << 0 << false << "pL ri pL ri" << "PUPU" << 2 << false;
    QTest::newRow("move without a press does nothing") << 0 << false << "mi mo" << "UU" << 0 << false;
    QTest::newRow("release without a press does nothing") << 0 << false << "ri" << "U" << 0 << false;
    QTest::newRow("right button does nothing") << 0 << false << "pR mi ri" << "UUU" << 0 << false;
    QTest::newRow("disabled press does nothing") << 0 << false << "e0 pL ri" << "UUU" << 0 << false;
    QTest::newRow("disabled while held: no click later") << 0 << false << "pL e0 ri" << "PUU" << 0 << false;
    QTest::newRow("enabled again works") << 0 << false << "e0 e1 pL ri" << "UUPU" << 1 << false;
    QTest::newRow("Down without a group stays up") << 0 << true << "d1" << "U" << 0 << false;

    QTest::newRow("group: release inside latches") << 1 << false << "pL ri" << "PL" << 1 << true;
    QTest::newRow("group: latched press stays latched") << 1 << false << "pL ri pL" << "PLL" << 1 << true;
    QTest::newRow("group: latched moves keep latched") << 1 << true << "d1 pL mo mi mo" << "LLLLL" << 0 << true;
    QTest::newRow("group, AllowAllUp: second click releases")
        << 1 << true << "pL ri pL ri" << "PLLU" << 2 << false;
    QTest::newRow("group, strict: second click keeps it down")
        << 1 << false << "pL ri pL ri" << "PLLL" << 2 << true;
    QTest::newRow("group: release outside, not down") << 1 << false << "pL mo ro" << "PUU" << 0 << false;
    QTest::newRow("group: release outside without a move") << 1 << false << "pL ro" << "PU" << 0 << false;
    QTest::newRow("group: release outside, down") << 1 << true << "d1 pL mo ro" << "LLLL" << 0 << true;
    QTest::newRow("group: Down set") << 1 << false << "d1" << "L" << 0 << true;
    QTest::newRow("group, AllowAllUp: Down cleared") << 1 << true << "d1 d0" << "LU" << 0 << false;
    QTest::newRow("group, strict: Down cannot be cleared") << 1 << false << "d1 d0" << "LL" << 0 << true;
    QTest::newRow("group: disabled while held keeps the latch") << 1 << true << "d1 pL e0 ri" << "LLLL" << 0 << true;
}

void tst_SpeedButtonLogic::transitions()
{
    QFETCH(int, group);
    QFETCH(bool, allowAllUp);
    QFETCH(QString, script);
    QFETCH(QString, trace);
    QFETCH(int, clicks);
    QFETCH(bool, down);

    FakeButton b;
    b.logic.setGroupIndex(group);
    b.logic.setAllowAllUp(allowAllUp);
    QCOMPARE(run(b, script), trace);
    QCOMPARE(b.clicks, clicks);
    QCOMPARE(b.logic.Down(), down);
    QVERIFY(!b.logic.Dragging() || script.endsWith("pL") || script.endsWith("mo") || script.endsWith("mi"));
}

void tst_SpeedButtonLogic::pressShowsAtOnceAndReleaseOutsideRestoresTheFace()
{
    FakeButton b;
    b.logic.press(Qt::LeftButton);
    QCOMPARE(b.repaints, 1);
    QVERIFY(b.logic.Dragging());
    // A release far away with no move before it (a pointer jump) must not
    // leave the face sunken.
    b.logic.release(false);
    QCOMPARE(b.logic.State(), tbsUp);
    QCOMPARE(b.repaints, 2);
    QCOMPARE(b.clicks, 0);
}

void tst_SpeedButtonLogic::latchingReleasesTheOthers()
{
    Board board(3);
    for (int i = 0; i < 3; ++i)
        board[i].setGroupIndex(1);
    run(board.button(0), "pL ri");
    QVERIFY(board[0].Down());
    run(board.button(1), "pL ri");
    QVERIFY(!board[0].Down());
    QCOMPARE(board[0].State(), tbsUp);
    QVERIFY(board[1].Down());
    QCOMPARE(board[1].State(), tbsLatched);
    QVERIFY(!board[2].Down());
    QCOMPARE(board.button(1).clicks, 1);

    // Setting Down directly releases the others as well.
    board[2].setDown(true);
    QVERIFY(!board[1].Down());
    QCOMPARE(board[1].State(), tbsUp);
    QVERIFY(board[2].Down());
}

void tst_SpeedButtonLogic::allowAllUpSpreadsToTheGroup()
{
    Board board(3);
    for (int i = 0; i < 3; ++i)
        board[i].setGroupIndex(1);
    board[1].setAllowAllUp(true);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(board[i].AllowAllUp(), qPrintable(QString::number(i)));
    // ... and back again from another member.
    board[2].setAllowAllUp(false);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!board[i].AllowAllUp());
    // A new member takes the group's value from the one announcing.
    Board mixed(2);
    mixed[0].setGroupIndex(2);
    mixed[0].setAllowAllUp(true);
    mixed[1].setGroupIndex(2);
    QVERIFY(!mixed[0].AllowAllUp());
}

void tst_SpeedButtonLogic::otherGroupsAreLeftAlone()
{
    Board board(3);
    board[0].setGroupIndex(1);
    board[1].setGroupIndex(2);
    board[2].setGroupIndex(0);
    board[0].setDown(true);
    board[1].setDown(true);
    board[1].setAllowAllUp(true);
    QVERIFY(board[0].Down());
    QVERIFY(board[1].Down());
    QVERIFY(!board[0].AllowAllUp());
    QVERIFY(!board[2].AllowAllUp());
}

void tst_SpeedButtonLogic::leavingEveryGroupReleasesTheButton()
{
    FakeButton b;
    b.logic.setGroupIndex(3);
    b.logic.setDown(true);
    b.logic.setGroupIndex(0);
    QVERIFY(!b.logic.Down());
    QCOMPARE(b.logic.State(), tbsUp);
    QCOMPARE(run(b, "pL ri"), QStringLiteral("PU"));
}

void tst_SpeedButtonLogic::frameStyle_data()
{
    QTest::addColumn<bool>("flat");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("hot");
    QTest::addColumn<int>("style");
    QTest::newRow("raised") << false << "" << false << int(tfsRaised);
    QTest::newRow("held") << false << "pL" << false << int(tfsLowered);
    QTest::newRow("held, moved out") << false << "pL mo" << false << int(tfsRaised);
    QTest::newRow("latched") << false << "d1" << false << int(tfsLowered);
    QTest::newRow("flat, pointer away") << true << "" << false << int(tfsNone);
    QTest::newRow("flat, pointer over") << true << "" << true << int(tfsFlatRaised);
    QTest::newRow("flat, held") << true << "pL" << true << int(tfsFlatLowered);
    QTest::newRow("flat, latched") << true << "d1" << false << int(tfsFlatLowered);
}

void tst_SpeedButtonLogic::frameStyle()
{
    QFETCH(bool, flat);
    QFETCH(QString, script);
    QFETCH(bool, hot);
    QFETCH(int, style);
    FakeButton b;
    b.logic.setGroupIndex(1);
    b.logic.setAllowAllUp(true);
    b.logic.setFlat(flat);
    if (hot)
        b.logic.pointerEntered();
    run(b, script);
    QCOMPARE(int(b.logic.frameStyle()), style);
    if (flat && !hot && script.isEmpty())
        QCOMPARE(int(b.logic.frameStyle(true)), int(tfsFlatRaised)); // designing shows the frame
}

void tst_SpeedButtonLogic::hotTracking()
{
    FakeButton b;
    b.logic.setFlat(true);
    b.logic.pointerEntered();
    QVERIFY(b.logic.MouseInControl());
    QCOMPARE(b.repaints, 1);
    b.logic.pointerEntered();
    QCOMPARE(b.repaints, 1); // already hot: nothing to redraw

    // Leaving while held keeps the hot look.
    b.logic.press(Qt::LeftButton);
    b.logic.pointerLeft();
    QVERIFY(b.logic.MouseInControl());
    b.logic.move(false);
    b.logic.release(false); // UpdateTracking: pointer not over the button
    QVERIFY(!b.logic.MouseInControl());
    QCOMPARE(b.notices, QStringList{"leave"});

    // A plain (not flat) button and a disabled flat button never go hot.
    FakeButton plain;
    plain.logic.pointerEntered();
    QVERIFY(!plain.logic.MouseInControl());
    FakeButton off;
    off.logic.setFlat(true);
    off.logic.setEnabled(false);
    off.logic.pointerEntered();
    QVERIFY(!off.logic.MouseInControl());
    QCOMPARE(plain.repaints + off.repaints, 0);
}

void tst_SpeedButtonLogic::updateTrackingAfterRelease_data()
{
    QTest::addColumn<bool>("flat");
    QTest::addColumn<bool>("pointerOver");
    QTest::addColumn<bool>("hot");
    QTest::addColumn<QStringList>("notices");
    QTest::newRow("flat, released over it") << true << true << true << QStringList{"enter"};
    QTest::newRow("flat, released elsewhere") << true << false << false << QStringList{"leave"};
    QTest::newRow("not flat") << false << true << false << QStringList{};
}

void tst_SpeedButtonLogic::updateTrackingAfterRelease()
{
    QFETCH(bool, flat);
    QFETCH(bool, pointerOver);
    QFETCH(bool, hot);
    QFETCH(QStringList, notices);
    FakeButton b;
    b.logic.setFlat(flat);
    b.pointerOver = pointerOver;
    b.logic.press(Qt::LeftButton);
    b.logic.release(pointerOver);
    QCOMPARE(b.logic.MouseInControl(), hot);
    QCOMPARE(b.notices, notices);
}

void tst_SpeedButtonLogic::ellipseHit_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("hit");
    QTest::newRow("40x20 corner (2,2)") << 2 << 2 << 40 << 20 << false; // 0.3625
    QTest::newRow("40x20 centre") << 20 << 10 << 40 << 20 << true;
    QTest::newRow("40x20 left end, on the ellipse") << 0 << 10 << 40 << 20 << true; // exactly 0.25
    QTest::newRow("40x20 top, on the ellipse") << 20 << 0 << 40 << 20 << true;
    QTest::newRow("40x20 (5,3) just outside") << 5 << 3 << 40 << 20 << false; // 0.263
    QTest::newRow("40x20 (6,3) just inside") << 6 << 3 << 40 << 20 << true;   // 0.245
    QTest::newRow("40x20 (0,9) outside") << 0 << 9 << 40 << 20 << false;
    QTest::newRow("card corner") << 0 << 0 << 65 << 113 << false;
    QTest::newRow("card centre") << 32 << 56 << 65 << 113 << true;
    QTest::newRow("no size") << 0 << 0 << 0 << 0 << false;
}

void tst_SpeedButtonLogic::ellipseHit()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(bool, hit);
    QCOMPARE(tategaki::ellipseHit(x, y, w, h), hit);
}

void tst_SpeedButtonLogic::shades_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QColor>("highlight");
    QTest::addColumn<QColor>("light");
    QTest::addColumn<QColor>("shadow");
    QTest::addColumn<QColor>("dark");
    QTest::newRow("transparent counts as white")
        << QColor() << QColor(255, 255, 255) << QColor(255, 255, 255) << QColor(127, 127, 127) << QColor(31, 31, 31);
    QTest::newRow("button face 240")
        << QColor(240, 240, 240) << QColor(254, 254, 254) << QColor(243, 243, 243) << QColor(120, 120, 120)
        << QColor(30, 30, 30);
    QTest::newRow("black") << QColor(0, 0, 0) << QColor(224, 224, 224) << QColor(63, 63, 63) << QColor(0, 0, 0)
                           << QColor(0, 0, 0);
    QTest::newRow("blue, per channel")
        << QColor(0, 0, 255) << QColor(224, 224, 255) << QColor(63, 63, 255) << QColor(0, 0, 127)
        << QColor(0, 0, 31);
    QTest::newRow("odd values") << QColor(7, 100, 201) << QColor(224, 236, 249) << QColor(69, 138, 214)
                                << QColor(3, 50, 100) << QColor(0, 12, 25);
}

void tst_SpeedButtonLogic::shades()
{
    QFETCH(QColor, color);
    const ButtonShades s = DeriveShades(color);
    QTEST(s.ShadeHighlight, "highlight");
    QTEST(s.ShadeLight, "light");
    QTEST(s.ShadeShadow, "shadow");
    QTEST(s.ShadeDark, "dark");
}

void tst_SpeedButtonLogic::imageToDraw_data()
{
    QTest::addColumn<int>("numImages");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("image");
    QTest::newRow("3: raised") << 3 << true << int(tfsRaised) << 5;
    QTest::newRow("3: held") << 3 << true << int(tfsLowered) << 7;
    QTest::newRow("3: flat held") << 3 << true << int(tfsFlatLowered) << 7;
    QTest::newRow("3: flat hot") << 3 << true << int(tfsFlatRaised) << 5;
    QTest::newRow("3: flat resting") << 3 << true << int(tfsNone) << 5;
    QTest::newRow("3: disabled") << 3 << false << int(tfsRaised) << 6;
    QTest::newRow("3: disabled and down") << 3 << false << int(tfsLowered) << 6;
    QTest::newRow("2: held has no own image") << 2 << true << int(tfsLowered) << 5;
    QTest::newRow("2: disabled") << 2 << false << int(tfsRaised) << 6;
    QTest::newRow("1: held") << 1 << true << int(tfsLowered) << 5;
    QTest::newRow("1: disabled") << 1 << false << int(tfsRaised) << 5;
}

void tst_SpeedButtonLogic::imageToDraw()
{
    QFETCH(int, numImages);
    QFETCH(bool, enabled);
    QFETCH(int, style);
    QFETCH(int, image);
    QCOMPARE(ImageToDraw(5, numImages, enabled, TTategakiFrameStyle(style)), image);
}

void tst_SpeedButtonLogic::placeImage_data()
{
    QTest::addColumn<QRect>("box"); // as TRect: left, top, right, bottom
    QTest::addColumn<QSize>("text");
    QTest::addColumn<int>("gap");
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QPoint>("imagePos");
    QTest::addColumn<QRect>("textBox");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("textLayout");

    const QRect card(QPoint(4, 4), QPoint(61, 109)); // right and bottom exclusive
    const QRect wide(QPoint(0, 0), QPoint(100, 40));
    QTest::newRow("card, image on top") << card << QSize(52, 87) << 2 << int(blGlyphTop) << true << QPoint(24, 4)
                                        << QRect(QPoint(4, 22), QPoint(61, 109)) << int(taLeftJustify)
                                        << int(tlCenter);
    QTest::newRow("card, image below") << card << QSize(52, 87) << 2 << int(blGlyphBottom) << true
                                       << QPoint(24, 93) << QRect(QPoint(4, 4), QPoint(61, 91))
                                       << int(taRightJustify) << int(tlCenter);
    QTest::newRow("left, vertical") << wide << QSize(30, 40) << 2 << int(blGlyphLeft) << true << QPoint(26, 12)
                                    << QRect(QPoint(44, 0), QPoint(100, 40)) << int(taCenter) << int(tlBottom);
    QTest::newRow("left, horizontal") << wide << QSize(30, 40) << 2 << int(blGlyphLeft) << false
                                      << QPoint(26, 12) << QRect(QPoint(44, 0), QPoint(100, 40))
                                      << int(taLeftJustify) << int(tlCenter);
    QTest::newRow("right, vertical") << wide << QSize(30, 40) << 2 << int(blGlyphRight) << true << QPoint(58, 12)
                                     << QRect(QPoint(0, 0), QPoint(56, 40)) << int(taCenter) << int(tlTop);
    QTest::newRow("top, horizontal") << card << QSize(52, 87) << 2 << int(blGlyphTop) << false << QPoint(24, 4)
                                     << QRect(QPoint(4, 22), QPoint(61, 109)) << int(taCenter) << int(tlTop);
    QTest::newRow("no caption: image centred") << card << QSize(0, 0) << 0 << int(blGlyphTop) << true
                                               << QPoint(24, 48) << QRect(QPoint(4, 64), QPoint(61, 109))
                                               << int(taLeftJustify) << int(tlCenter);
    // Halving truncates toward zero, also for negative sums.
    QTest::newRow("negative coordinates") << QRect(QPoint(-21, -9), QPoint(0, 0)) << QSize(0, 0) << 0
                                          << int(blGlyphTop) << true << QPoint(-18, -12)
                                          << QRect(QPoint(-21, 3), QPoint(0, 0)) << int(taLeftJustify)
                                          << int(tlCenter);
}

void tst_SpeedButtonLogic::placeImage()
{
    QFETCH(QRect, box);
    QFETCH(QSize, text);
    QFETCH(int, gap);
    QFETCH(int, layout);
    QFETCH(bool, vertical);
    QFETCH(QPoint, imagePos);
    QFETCH(QRect, textBox);
    QFETCH(int, alignment);
    QFETCH(int, textLayout);

    // QRect rows carry exclusive right/bottom as given by the corner points.
    const TRect t{box.left(), box.top(), box.right(), box.bottom()};
    TTategakiTextParams params;
    params.Alignment = taCenter;
    params.Layout = tlCenter;
    params.Tategaki = vertical;
    const ImagePlacement p = PlaceImage(t, QSize(16, 16), text, gap, TButtonLayout(layout), params);
    QCOMPARE(p.imagePos, imagePos);
    QCOMPARE(p.textBox, (TRect{textBox.left(), textBox.top(), textBox.right(), textBox.bottom()}));
    QCOMPARE(int(p.params.Alignment), alignment);
    QCOMPARE(int(p.params.Layout), textLayout);
}

void tst_SpeedButtonLogic::textRoom()
{
    const TRect box{4, 4, 61, 109};
    QCOMPARE(textRoomBesideImage(box, QSize(16, 20), 2, blGlyphTop).Height(), 105 - 22);
    QCOMPARE(textRoomBesideImage(box, QSize(16, 20), 2, blGlyphBottom).Height(), 105 - 22);
    QCOMPARE(textRoomBesideImage(box, QSize(16, 20), 2, blGlyphLeft).Width(), 57 - 18);
    QCOMPARE(textRoomBesideImage(box, QSize(16, 20), 0, blGlyphRight).Width(), 57 - 16);
}

QTEST_GUILESS_MAIN(tst_SpeedButtonLogic)
#include "tst_speedbuttonlogic.moc"
