#include "shaper.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>

#include <fontconfig/fontconfig.h>
#include <hb.h>
#include <unicode/uchar.h>

#include <cmath>

namespace tategaki {
namespace {

// HarfBuzz reads the tables of the very font file Qt draws with.
hb_blob_t *referenceTable(hb_face_t *, hb_tag_t tag, void *user)
{
    if (tag == 0)
        return nullptr;
    char name[5] = {};
    hb_tag_to_string(tag, name);
    auto *data = new QByteArray(static_cast<const QRawFont *>(user)->fontTable(name));
    if (data->isEmpty()) {
        delete data;
        return nullptr;
    }
    return hb_blob_create(data->constData(), static_cast<unsigned>(data->size()), HB_MEMORY_MODE_READONLY, data,
                          [](void *p) { delete static_cast<QByteArray *>(p); });
}

QByteArray blobBytes(hb_blob_t *blob)
{
    unsigned size = 0;
    const char *data = hb_blob_get_data(blob, &size);
    return QByteArray(data, static_cast<qsizetype>(size));
}

// The face as it lies in its font file, mapped rather than copied: vertical
// shaping asks for 'glyf' (glyph extents for the vertical origin), which is
// most of a CJK font, and copying it table by table costs megabytes per
// face. Fontconfig names the file; the face found there must carry the same
// 'head' and 'name' tables as the one Qt draws with, or it is not used.
hb_face_t *mappedFace(const QRawFont &raw)
{
    // By family and style, kept for the program's life.
    static auto *faces = new QHash<QString, hb_face_t *>;
    const QString key = raw.familyName() + QLatin1Char('\n') + raw.styleName();
    if (auto it = faces->constFind(key); it != faces->constEnd())
        return hb_face_reference(*it);

    hb_face_t *found = nullptr;
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(raw.familyName().toUtf8().constData()));
    FcObjectSet *objects = FcObjectSetBuild(FC_FILE, FC_INDEX, nullptr);
    FcFontSet *set = FcFontList(nullptr, pattern, objects);
    const QByteArray head = raw.fontTable("head"), name = raw.fontTable("name");
    for (int i = 0; set && i < set->nfont && !found && !head.isEmpty(); ++i) {
        FcChar8 *file = nullptr;
        int index = 0;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch)
            continue;
        FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
        hb_blob_t *blob = hb_blob_create_from_file_or_fail(reinterpret_cast<const char *>(file));
        if (!blob)
            continue;
        hb_face_t *face = hb_face_create(blob, static_cast<unsigned>(index & 0xFFFF));
        hb_blob_destroy(blob);
        hb_blob_t *h = hb_face_reference_table(face, HB_TAG('h', 'e', 'a', 'd'));
        hb_blob_t *n = hb_face_reference_table(face, HB_TAG('n', 'a', 'm', 'e'));
        if (blobBytes(h) == head && blobBytes(n) == name)
            found = face;
        else
            hb_face_destroy(face);
        hb_blob_destroy(h);
        hb_blob_destroy(n);
    }
    if (set)
        FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    if (!found)
        return nullptr;
    hb_face_make_immutable(found);
    faces->insert(key, found);
    return hb_face_reference(found);
}

int toPixels(hb_position_t v)
{
    return static_cast<int>(std::lround(v / 64.0));
}

bool isControl(char32_t c)
{
    return c < 0x20 || c == 0x7F;
}

} // namespace

GlyphOrientation orientationOf(char32_t c, bool hasVerticalForm)
{
    switch (u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_VERTICAL_ORIENTATION)) {
    case U_VO_UPRIGHT:
    case U_VO_TRANSFORMED_UPRIGHT:
        return GlyphOrientation::Upright;
    case U_VO_TRANSFORMED_ROTATED:
        return hasVerticalForm ? GlyphOrientation::Upright : GlyphOrientation::Sideways;
    default:
        return GlyphOrientation::Sideways;
    }
}

int fontPixelSize(const QFont &font)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return QFontInfo(font).pixelSize();
}

struct FontShaper::Private {
    hb_face_t *face = nullptr;
    hb_font_t *font = nullptr;
    hb_buffer_t *buffer = nullptr;
    mutable QHash<char32_t, bool> verticalForm; // for Vertical_Orientation Tr

    ~Private()
    {
        hb_buffer_destroy(buffer);
        hb_font_destroy(font);
        hb_face_destroy(face);
    }

    // Whether shaping top to bottom replaces the character's glyph.
    bool hasVerticalForm(char32_t c) const
    {
        auto it = verticalForm.constFind(c);
        if (it != verticalForm.constEnd())
            return *it;
        hb_codepoint_t nominal = 0;
        bool result = false;
        if (hb_font_get_nominal_glyph(font, c, &nominal)) {
            hb_buffer_clear_contents(buffer);
            hb_buffer_add_utf32(buffer, reinterpret_cast<const uint32_t *>(&c), 1, 0, 1);
            hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
            hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
            hb_buffer_guess_segment_properties(buffer);
            hb_shape(font, buffer, nullptr, 0);
            unsigned n = 0;
            const hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buffer, &n);
            result = n == 1 && info[0].codepoint != nominal;
        }
        verticalForm.insert(c, result);
        return result;
    }
};

std::shared_ptr<FontShaper> FontShaper::forFont(const QFont &font)
{
    static QHash<QString, std::shared_ptr<FontShaper>> cache;
    const QString key = font.key();
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    std::shared_ptr<FontShaper> shaper(new FontShaper(font));
    cache.insert(key, shaper);
    return shaper;
}

FontShaper::FontShaper(const QFont &font)
    : d(std::make_unique<Private>()),
      raw_(QRawFont::fromFont(font, QFontDatabase::Japanese)),
      pixelSize_(fontPixelSize(font))
{
    if (!raw_.isValid() || pixelSize_ <= 0)
        return;
    d->face = mappedFace(raw_);
    if (!d->face)
        d->face = hb_face_create_for_tables(referenceTable, new QRawFont(raw_),
                                            [](void *p) { delete static_cast<QRawFont *>(p); });
    d->font = hb_font_create(d->face);
    hb_font_set_scale(d->font, pixelSize_ * 64, pixelSize_ * 64);
    d->buffer = hb_buffer_create();

    hb_font_extents_t ext{};
    hb_font_get_h_extents(d->font, &ext);
    const double height = ext.ascender - ext.descender;
    ascent_ = height > 0 ? pixelSize_ * ext.ascender / height : pixelSize_ * 0.88;
}

FontShaper::~FontShaper() = default;

bool FontShaper::isValid() const
{
    return d->font != nullptr;
}

ShapedRun FontShaper::shape(QStringView text, bool vertical) const
{
    ShapedRun run;
    run.text = text.toString();
    const int n = static_cast<int>(text.size());
    run.unitAdvances.assign(n, 0);
    if (!isValid() || n == 0)
        return run;

    const auto *utf16 = reinterpret_cast<const uint16_t *>(run.text.utf16());
    hb_buffer_t *buf = d->buffer;

    auto shapeSegment = [&](int from, int to, GlyphOrientation orientation) {
        const bool ttb = vertical && orientation == GlyphOrientation::Upright;
        hb_buffer_clear_contents(buf);
        hb_buffer_add_utf16(buf, utf16, n, static_cast<unsigned>(from), to - from);
        hb_buffer_set_direction(buf, ttb ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
        hb_buffer_set_language(buf, hb_language_from_string("ja", -1));
        hb_buffer_guess_segment_properties(buf);
        hb_shape(d->font, buf, nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buf, &count);
        const hb_glyph_position_t *pos = hb_buffer_get_glyph_positions(buf, &count);
        for (unsigned i = 0; i < count; ++i) {
            ShapedGlyph g;
            g.id = info[i].codepoint;
            g.cluster = static_cast<int>(info[i].cluster);
            g.orientation = vertical ? orientation : GlyphOrientation::Upright;
            g.advance = ttb ? toPixels(-pos[i].y_advance) : toPixels(pos[i].x_advance);
            g.offset = QPointF(pos[i].x_offset / 64.0, -pos[i].y_offset / 64.0);
            run.unitAdvances[g.cluster] += g.advance;
            run.glyphs.push_back(g);
        }
    };

    // Cut the text into runs of one orientation; control characters take no
    // room and draw nothing.
    int segStart = -1;
    GlyphOrientation segOrientation = GlyphOrientation::Upright;
    for (int i = 0; i < n;) {
        char32_t c = text[i].unicode();
        int width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (isControl(c)) {
            if (segStart >= 0)
                shapeSegment(segStart, i, segOrientation);
            segStart = -1;
        } else {
            GlyphOrientation o = GlyphOrientation::Upright;
            if (vertical) {
                // Only Tr characters depend on the font: shape them alone once.
                const bool tr = u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_VERTICAL_ORIENTATION) ==
                                U_VO_TRANSFORMED_ROTATED;
                o = orientationOf(c, tr && d->hasVerticalForm(c));
            }
            if (segStart >= 0 && o != segOrientation) {
                shapeSegment(segStart, i, segOrientation);
                segStart = -1;
            }
            if (segStart < 0) {
                segStart = i;
                segOrientation = o;
            }
        }
        i += width;
    }
    if (segStart >= 0)
        shapeSegment(segStart, n, segOrientation);
    return run;
}

void FontShaper::draw(QPainter &painter, const ShapedRun &run, const std::vector<int> &offsets, QPoint origin,
                      bool vertical) const
{
    if (!isValid() || offsets.empty())
        return;
    const int count = static_cast<int>(offsets.size()) - 1;

    QVector<quint32> uprightIds, sidewaysIds;
    QVector<QPointF> uprightPos, sidewaysPos;
    // Pen within a cluster of several glyphs (a base and its marks).
    int cluster = -1;
    int inCluster = 0;
    for (const ShapedGlyph &g : run.glyphs) {
        if (g.cluster >= count)
            continue;
        if (g.cluster != cluster) {
            cluster = g.cluster;
            inCluster = 0;
        }
        const qreal along = offsets[g.cluster] + inCluster;
        inCluster += g.advance;
        if (!vertical) {
            uprightIds.push_back(g.id);
            uprightPos.push_back(QPointF(origin.x() + along + g.offset.x(), origin.y() + ascent_ + g.offset.y()));
        } else if (g.orientation == GlyphOrientation::Upright) {
            // The pen runs down the column's centre line; HarfBuzz's offsets
            // lead from there to the glyph's own origin.
            uprightIds.push_back(g.id);
            uprightPos.push_back(QPointF(origin.x() - pixelSize_ / 2.0 + g.offset.x(), origin.y() + along + g.offset.y()));
        } else {
            // Coordinates of the turned painter: x runs down the column, the
            // baseline lies `ascent` left of the column's right edge.
            sidewaysIds.push_back(g.id);
            sidewaysPos.push_back(QPointF(along + g.offset.x(), g.offset.y()));
        }
    }

    if (!uprightIds.isEmpty()) {
        QGlyphRun glyphs;
        glyphs.setRawFont(raw_);
        glyphs.setGlyphIndexes(uprightIds);
        glyphs.setPositions(uprightPos);
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
    }
    if (!sidewaysIds.isEmpty()) {
        QGlyphRun glyphs;
        glyphs.setRawFont(raw_);
        glyphs.setGlyphIndexes(sidewaysIds);
        glyphs.setPositions(sidewaysPos);
        painter.save();
        painter.translate(origin.x() - ascent_, origin.y());
        painter.rotate(90);
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
        painter.restore();
    }
}

FontMeasurer::FontMeasurer(const QFont &font, bool vertical)
    : shaper_(FontShaper::forFont(font)), vertical_(vertical), fontSize_(fontPixelSize(font))
{
}

const ShapedRun &FontMeasurer::shaped(QStringView run)
{
    for (const ShapedRun &r : recent_)
        if (QStringView(r.text).startsWith(run))
            return r;
    if (recent_.size() >= kRecentRuns)
        recent_.erase(recent_.begin());
    recent_.push_back(shaper_->shape(run, vertical_));
    return recent_.back();
}

void FontMeasurer::prefixExtents(QStringView run, std::vector<int> &out)
{
    out.assign(run.size() + 1, 0);
    if (!isValid())
        return;
    const ShapedRun &r = shaped(run);
    for (qsizetype i = 0; i < run.size(); ++i)
        out[i + 1] = out[i] + r.unitAdvances[i];
}

} // namespace tategaki
