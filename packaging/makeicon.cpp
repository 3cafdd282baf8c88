// Writes the window icon as a PNG of a desktop icon theme's size.
//   kotoha_icon <in.xpm> <out.png> <size>
// The icon is drawn on a pixel grid: whole multiples of its own size are
// scaled pixel for pixel, so the larger icons stay as sharp as the small one.
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <in.xpm> <out.png> <size>\n", argv[0]);
        return 2;
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[3]).toInt(&ok);
    if (!ok || size < 1 || size > 1024) {
        std::fprintf(stderr, "%s: size must be 1 .. 1024, not %s\n", argv[0], argv[3]);
        return 2;
    }
    QImage icon(in);
    if (icon.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    icon = icon.convertToFormat(QImage::Format_ARGB32);
    if (icon.size() != QSize(size, size)) {
        const bool whole = icon.width() == icon.height() && size % icon.width() == 0;
        icon = icon.scaled(size, size, Qt::IgnoreAspectRatio,
                           whole ? Qt::FastTransformation : Qt::SmoothTransformation);
    }
    if (!icon.save(out, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
