#include "platform/gui/fonts.h"

#include <QStringList>

#include <algorithm>

namespace platform::fonts {
namespace {

QString baseFace(const QString &face)
{
    return isVertical(face) ? face.mid(1) : face;
}

} // namespace

void installSubstitutes()
{
    const struct {
        QString face;
        QStringList installed;
    } table[] = {
        {MSMincho, {"IPAMincho", "IPAexMincho", "Noto Serif CJK JP"}},
        {MSPMincho, {"IPAPMincho", "IPAMincho", "Noto Serif CJK JP"}},
        {MSGothic, {"IPAGothic", "IPAexGothic", "Noto Sans CJK JP"}},
        {MSPGothic, {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP"}},
        {System, {"IPAGothic", "IPAPGothic", "Noto Sans CJK JP"}},
    };
    for (const auto &row : table)
        QFont::insertSubstitutions(row.face, row.installed);
}

bool isVertical(const QString &face)
{
    return face.startsWith(QLatin1Char('@'));
}

QFont font(const QString &face, int charHeight, bool bold, bool italic)
{
    const QString base = baseFace(face);
    QFont f(base);
    // See kSystemFaceSize: a larger height would overflow System's boxes.
    f.setPixelSize(base == System ? std::min(charHeight, kSystemFaceSize) : charHeight);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

} // namespace platform::fonts
