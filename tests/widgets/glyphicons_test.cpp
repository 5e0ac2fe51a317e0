// The command glyphs: each draws a picture of its own at both sizes.
#include "widgets/glyphicons.h"

#include "support/testapp.h"

#include <QHash>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

QImage Drawn(const QIcon &icon, int size)
{
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

int InkedPixels(const QImage &image)
{
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            inked += qAlpha(image.pixel(x, y)) > 64 ? 1 : 0;
    }
    return inked;
}

// A glyph that falls through to no drawing, or draws what another one draws, would put an empty
// or a wrong image on its buttons.
TEST(GlyphIcons, EveryGlyphDrawsAPictureOfItsOwn)
{
    EnsureTestApp();
    EXPECT_TRUE(GlyphIcon(TMyGlyph::None).isNull());
    QHash<QByteArray, int> seen;
    for (int g = int(TMyGlyph::Play); g <= int(kLastGlyph); ++g) {
        const QIcon icon = GlyphIcon(TMyGlyph(g));
        ASSERT_FALSE(icon.isNull()) << "glyph " << g;
        for (int size : {18, 36}) {
            const QImage image = Drawn(icon, size);
            ASSERT_EQ(image.size(), QSize(size, size)) << "glyph " << g;
            // At least a few strokes' worth of the picture.
            EXPECT_GE(InkedPixels(image), size * size / 20) << "glyph " << g << " at " << size;
        }
        const QImage small = Drawn(icon, 18);
        const QByteArray key(reinterpret_cast<const char *>(small.constBits()), small.sizeInBytes());
        const auto same = seen.constFind(key);
        EXPECT_TRUE(same == seen.cend()) << "glyph " << g << " draws as glyph " << same.value();
        seen.insert(key, g);
    }
}

} // namespace
