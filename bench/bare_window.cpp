// The yardsticks for the program's start-up, both of the main menu's size
// (592 x 423):
//   bare_window              an empty Qt Widgets window, nothing else;
//   bare_window --menu-text  the same window drawing the menu's own texts in
//                            the faces and sizes the menu uses, with QPainter
//                            alone: what the Japanese faces cost by themselves.
// With --first-paint-child (bench_startup starts it so, with a pipe on
// descriptor 3) it reports its peak memory there once its first frame is
// painted, and quits. Alone it just shows the window.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstring>

#include "firstframe.h"

namespace {

QFont face(const char *family, int pixels, bool bold, bool italic)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

class Window : public QWidget {
public:
    bool menuText = false;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!menuText)
            return;
        QPainter p(this);
        p.setFont(face("IPAPMincho", 48, true, true));
        p.drawText(QRect(8, 8, 577, 73), Qt::AlignCenter, QStringLiteral("百人一首　琴葉　　　　　　　"));
        p.setFont(face("IPAGothic", 16, true, true));
        p.drawText(QRect(344, 40, 223, 18), Qt::AlignLeft, QStringLiteral("競技かるた練習ソフト"));
        p.setFont(face("IPAPGothic", 19, true, false));
        const QString captions[] = {QStringLiteral("トレーニング"), QStringLiteral("ゲーム(S)"),
                                    QStringLiteral("ゲーム(M)"),    QStringLiteral("ゲーム(L)"),
                                    QStringLiteral("記録(S)"),      QStringLiteral("記録(M)"),
                                    QStringLiteral("記録(L)"),      QStringLiteral("終了"),
                                    QStringLiteral("学習記録"),     QStringLiteral("練習試合")};
        int y = 130;
        for (const QString &caption : captions) {
            p.drawText(QRect(100, y, 369, 41), Qt::AlignCenter, caption);
            y += 28;
        }
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Window window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(592, 423);
    bench::FirstFrameReport report(&QCoreApplication::quit);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--menu-text") == 0)
            window.menuText = true;
        else if (std::strcmp(argv[i], "--first-paint-child") == 0)
            window.installEventFilter(&report);
    }
    window.show();
    return app.exec();
}
