#pragma once

#include <QFontDatabase>
#include <QStringList>

// Tests that draw or shape with real glyphs need the IPA faces the Japanese
// face names are substituted by; without them they skip.
inline bool ipaFontsInstalled()
{
    const QStringList families = QFontDatabase::families();
    return families.contains(QStringLiteral("IPAMincho")) && families.contains(QStringLiteral("IPAGothic"));
}

#define REQUIRE_IPA_FONTS()                                                                                    \
    do {                                                                                                       \
        if (!ipaFontsInstalled())                                                                              \
            QSKIP("IPA fonts (fonts-ipafont-gothic, fonts-ipafont-mincho) are not installed");                 \
    } while (0)
