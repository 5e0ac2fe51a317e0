// The parts of the settings file that deal with screens and fonts. The settings file itself
// needs only Qt Core; these helpers are linked only into programs that call them.
#include "custom/myinifile.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QVariant>

#include <limits>

namespace {

// The work area of the screen that holds most of the rectangle, or else the nearest one.
QRect WorkAreaNear(const QRect &rect)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QScreen *best = nullptr;
    qint64 bestArea = -1;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (QScreen *s : screens) {
        const QRect g = s->geometry();
        const QRect overlap = g.intersected(rect);
        const qint64 area = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        const qint64 dx = std::max({0, g.left() - rect.left(), rect.left() - g.right()});
        const qint64 dy = std::max({0, g.top() - rect.top(), rect.top() - g.bottom()});
        const qint64 distance = dx * dx + dy * dy;
        if (area > bestArea || (area == bestArea && area == 0 && distance < bestDistance)) {
            best = s;
            bestArea = area;
            bestDistance = distance;
        }
    }
    return best ? best->availableGeometry() : QRect();
}

int ColorRef(const QColor &c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

TMyFontSpec SpecOf(const QFont &font, const QColor *color)
{
    TMyFontSpec fontSpec;
    fontSpec.Name = font.family();
    fontSpec.Size = font.pointSize() > 0 ? font.pointSize() : 9;
    fontSpec.Color = color ? ColorRef(*color) : 0;
    fontSpec.Bold = font.bold();
    fontSpec.Italic = font.italic();
    fontSpec.UnderLine = font.underline();
    fontSpec.StrikeOut = font.strikeOut();
    return fontSpec;
}

} // namespace

void TMyIniFile::RestoreFormBounds(const QString &section, QObject *form)
{
    if (!form)
        return;
    QRect rect = ReadControlBounds(section.isEmpty() ? QStringLiteral("Bounds") : section, form);
    // A stored width or height of zero or less (right edge left of the left one) is no size a
    // window can take: the window keeps its present one, and is placed on the screen with it.
    const QSize current = form->property("geometry").toRect().size();
    if (rect.width() <= 0 && current.width() > 0)
        rect.setWidth(current.width());
    if (rect.height() <= 0 && current.height() > 0)
        rect.setHeight(current.height());
    const QRect work = WorkAreaNear(rect);
    if (!work.isEmpty())
        rect = FitRectOntoWorkArea(rect, work);
    form->setProperty("geometry", rect);
    // The window may have bounded the size to its own limits: place what it took.
    const QRect taken = form->property("geometry").toRect();
    if (!work.isEmpty() && taken.size() != rect.size() && taken.isValid())
        form->setProperty("geometry", FitRectOntoWorkArea(taken, work));
}

void TMyIniFile::ReadFont(const QString &section, const QString &prefix, QFont &font, QColor *color)
{
    TMyFontSpec fontSpec = SpecOf(font, color);
    ReadFont(section, prefix, fontSpec);
    if (!fontSpec.Name.isEmpty())
        font.setFamily(fontSpec.Name);
    if (fontSpec.Size > 0)
        font.setPointSize(fontSpec.Size);
    font.setBold(fontSpec.Bold);
    font.setItalic(fontSpec.Italic);
    font.setUnderline(fontSpec.UnderLine);
    font.setStrikeOut(fontSpec.StrikeOut);
    // Negative numbers are the other system's named colours; they keep the current colour.
    if (color && fontSpec.Color >= 0)
        *color = QColor(fontSpec.Color & 0xFF, (fontSpec.Color >> 8) & 0xFF, (fontSpec.Color >> 16) & 0xFF);
}

void TMyIniFile::WriteFont(const QString &section, const QString &prefix, const QFont &font, const QColor *color)
{
    WriteFont(section, prefix, SpecOf(font, color));
}

void TMyIniFile::ReadComponentFont(const QString &section, const QString &prefix, QObject *component)
{
    if (!component)
        return;
    const QVariant value = component->property("font");
    if (!value.isValid() || !value.canConvert<QFont>())
        return;
    QFont font = value.value<QFont>();
    ReadFont(section, prefix, font, nullptr);
    component->setProperty("font", font);
}
