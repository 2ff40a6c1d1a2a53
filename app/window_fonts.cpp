#include "app/window_fonts.h"

#include <QFontDatabase>

namespace qz7 {

namespace {

const QStringList& tahomaFamilies() {
    static const QStringList families{"Tahoma", "DejaVu Sans Condensed", "DejaVu Sans",
                                      "Liberation Sans"};
    return families;
}

QFont pixelFont(const QStringList& families, int pixelSize, bool bold, bool italic = false) {
    QFont font = firstCyrillicFont(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// The installed families that can write Russian, asked once. One question for all families:
// asking family by family makes fontconfig resolve each name, which is slow enough to matter at
// start-up. A family that several foundries provide is listed once per foundry, as
// "Name [foundry]".
const QStringList& cyrillicFamilies() {
    static const QStringList cyrillic = [] {
        QStringList names;
        for (QString family : QFontDatabase::families(QFontDatabase::Cyrillic)) {
            const qsizetype foundry = family.indexOf(QLatin1String(" ["));
            if (foundry > 0) family.truncate(foundry);
            names << family;
        }
        return names;
    }();
    return cyrillic;
}

}  // namespace

QFont firstCyrillicFont(const QStringList& families) {
    const QStringList& cyrillic = cyrillicFamilies();
    const QLatin1String condensed(" Condensed");
    for (const QString& family : families) {
        if (cyrillic.contains(family, Qt::CaseInsensitive)) return QFont(family);
        // Qt's own font database (Windows without fontconfig, the offscreen platform) lists a
        // condensed face under its base family, as a narrower width of it.
        if (!family.endsWith(condensed)) continue;
        const QString base = family.chopped(condensed.size());
        if (cyrillic.contains(base, Qt::CaseInsensitive)) {
            QFont font(base);
            font.setStretch(QFont::Condensed);
            return font;
        }
    }
    return QFont(families.isEmpty() ? QString() : families.back());
}

QFont windowDefaultFont() {
    // 8 pt at 96 dots per inch, as Windows draws it at 100 %. In pixels, so that the values in
    // the boxes keep their size where the scale factor rounds down to 1 and the screen's dots per
    // inch stay above 96 (125 % to 175 %).
    QFont font = firstCyrillicFont(tahomaFamilies());
    font.setPixelSize(11);
    return font;
}

QFont tahomaFont(int pixelSize, bool bold) { return pixelFont(tahomaFamilies(), pixelSize, bold); }

QFont comicFont(int pixelSize, bool bold) {
    // A rounded informal face where the casual one is missing; it has to write Russian, since
    // the captions do.
    return pixelFont({"Comic Sans MS", "Comic Neue", "URW Gothic", "DejaVu Sans"}, pixelSize, bold);
}

QFont arialNarrowFont(int pixelSize, bool bold) {
    // Windows has Arial Narrow only with some programs; without it, Arial drawn narrower.
    return pixelFont({"Arial Narrow", "Liberation Sans Narrow", "Nimbus Sans Narrow",
                      "DejaVu Sans Condensed", "Arial Condensed", "DejaVu Sans"},
                     pixelSize, bold);
}

QFont arialFont(int pixelSize, bool bold, bool italic) {
    return pixelFont({"Arial", "Liberation Sans", "Nimbus Sans", "DejaVu Sans"}, pixelSize, bold,
                     italic);
}

}  // namespace qz7
