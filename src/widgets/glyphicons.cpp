#include "widgets/glyphicons.h"

#include <QFont>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

const QColor kInk(0x30, 0x30, 0x30);
const QColor kAccent(0x1e, 0x5a, 0xb4);
const QColor kWarn(0xc0, 0x30, 0x28);

// Painting helpers on the 18 × 18 grid.
struct Pen {
    QPainter &p;

    void Ink(const QColor &c = kInk, qreal width = 1.5)
    {
        p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
    }
    void Fill(const QColor &c = kInk)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
    }
    void Poly(std::initializer_list<QPointF> points, const QColor &c = kInk)
    {
        Fill(c);
        p.drawPolygon(points.begin(), int(points.size()));
    }
    void Line(qreal x1, qreal y1, qreal x2, qreal y2, const QColor &c = kInk, qreal width = 1.5)
    {
        Ink(c, width);
        p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
    void Box(qreal x, qreal y, qreal w, qreal h, const QColor &c = kInk, qreal width = 1.5)
    {
        Ink(c, width);
        p.drawRect(QRectF(x, y, w, h));
    }
    void Bar(qreal x, qreal y, qreal w, qreal h, const QColor &c = kInk)
    {
        Fill(c);
        p.drawRect(QRectF(x, y, w, h));
    }
    void Text(const QRectF &r, const QString &text, qreal size, const QColor &c = kInk, bool bold = true)
    {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(qMax(1, qRound(size)));
        f.setBold(bold);
        f.setStretch(size < 8 ? QFont::Condensed : QFont::Unstretched);
        p.setFont(f);
        p.setPen(c);
        p.drawText(r, Qt::AlignCenter, text);
    }
    // An arc of a circle around (cx, cy), angles in degrees counter-clockwise from 3 o'clock,
    // with an arrow head at its end.
    void ArcArrow(qreal cx, qreal cy, qreal r, qreal from, qreal span, const QColor &c = kInk)
    {
        Ink(c);
        p.drawArc(QRectF(cx - r, cy - r, 2 * r, 2 * r), int(from * 16), int(span * 16));
        const qreal end = qDegreesToRadians(from + span);
        const QPointF tip(cx + r * std::cos(end), cy - r * std::sin(end));
        const qreal dir = span > 0 ? 1 : -1;
        // The tangent at the end, in the direction of travel.
        const QPointF t(-std::sin(end) * dir, -std::cos(end) * dir);
        const QPointF n(t.y(), -t.x());
        Poly({tip + t * 3, tip - n * 2.5, tip + n * 2.5}, c);
    }
    void Speaker(const QColor &c = kInk) { Poly({{2, 7}, {5, 7}, {9, 3}, {9, 15}, {5, 11}, {2, 11}}, c); }
    void Document(qreal x = 4, qreal y = 2)
    {
        Ink();
        QPainterPath path;
        path.moveTo(x, y);
        path.lineTo(x + 7, y);
        path.lineTo(x + 10, y + 3);
        path.lineTo(x + 10, y + 14);
        path.lineTo(x, y + 14);
        path.closeSubpath();
        p.drawPath(path);
        p.drawLine(QPointF(x + 7, y), QPointF(x + 7, y + 3));
        p.drawLine(QPointF(x + 7, y + 3), QPointF(x + 10, y + 3));
    }
    void Folder(const QColor &c = kInk)
    {
        Ink(c);
        QPainterPath path;
        path.moveTo(1.5, 4);
        path.lineTo(6, 4);
        path.lineTo(7.5, 5.5);
        path.lineTo(16.5, 5.5);
        path.lineTo(16.5, 15);
        path.lineTo(1.5, 15);
        path.closeSubpath();
        p.drawPath(path);
        p.drawLine(QPointF(1.5, 8), QPointF(16.5, 8));
    }
    void Magnifier()
    {
        Ink(kInk, 1.6);
        p.drawEllipse(QRectF(2, 2, 10, 10));
        p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10.5, 10.5), QPointF(15.5, 15.5));
    }
    void Frame() { Box(1.5, 3.5, 15, 11); }
    void Corners(qreal inset, const QColor &c = kInk)
    {
        const qreal a = inset, b = 18 - inset, l = 4;
        Line(a, a, a + l, a, c); Line(a, a, a, a + l, c);
        Line(b, a, b - l, a, c); Line(b, a, b, a + l, c);
        Line(a, b, a + l, b, c); Line(a, b, a, b - l, c);
        Line(b, b, b - l, b, c); Line(b, b, b, b - l, c);
    }
    void Loop(const QColor &c = kInk)
    {
        ArcArrow(9, 9, 6, 100, 250, c);
    }
    void Lines(qreal x, qreal y, int count, qreal w = 10)
    {
        for (int i = 0; i < count; ++i)
            Line(x, y + i * 3.5, x + w, y + i * 3.5);
    }
    void Cross(qreal x, qreal y, qreal s, const QColor &c = kWarn)
    {
        Line(x, y, x + s, y + s, c, 1.8);
        Line(x + s, y, x, y + s, c, 1.8);
    }
    // A small magnifier at the left, for the find commands.
    void SmallMagnifier()
    {
        Ink(kInk, 1.5);
        p.drawEllipse(QRectF(1.5, 2.5, 8, 8));
        p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8.3, 9.3), QPointF(10.5, 11.5));
    }
    // A vertical arrow at x from y1 to the tip at y2 (either way).
    void Arrow(qreal x, qreal y1, qreal y2, const QColor &c = kAccent)
    {
        const qreal dir = y2 > y1 ? 1 : -1;
        Line(x, y1, x, y2 - dir * 3, c);
        Poly({{x, y2}, {x + 2.6, y2 - dir * 4}, {x - 2.6, y2 - dir * 4}}, c);
    }
    // count triangles stacked upwards, or one under a bar (toEnd); the painter is
    // mirrored for the downward glyphs.
    void Climb(int count, bool toEnd)
    {
        if (toEnd) {
            Bar(3, 2, 12, 2, kAccent);
            Poly({{9, 6}, {15, 14.5}, {3, 14.5}});
            return;
        }
        const qreal top = count == 1 ? 4.5 : 2.5;
        const qreal h = count == 1 ? 9 : (14.0 - (count - 1) * 0.5) / count;
        for (int i = 0; i < count; ++i) {
            const qreal y = top + i * (h + 0.5);
            const qreal half = std::max(h * 0.7 + 0.5, 5.0);
            Poly({{9, y}, {9 + half, y + h}, {9 - half, y + h}});
        }
    }
    void Mirrored(const std::function<void()> &draw)
    {
        p.save();
        p.translate(0, 18);
        p.scale(1, -1);
        draw();
        p.restore();
    }
};

void Paint(QPainter &painter, TMyGlyph g)
{
    Pen d{painter};
    using G = TMyGlyph;
    switch (g) {
    case G::None: break;
    case G::Play: d.Poly({{5, 3}, {15, 9}, {5, 15}}); break;
    case G::Pause: d.Bar(4, 3, 3.5, 12); d.Bar(10.5, 3, 3.5, 12); break;
    case G::PlayPause:
        d.Poly({{2, 3}, {10, 9}, {2, 15}});
        d.Bar(11, 4, 2.2, 10);
        d.Bar(14.5, 4, 2.2, 10);
        break;
    case G::Stop: d.Bar(4, 4, 10, 10); break;
    case G::Replay: d.ArcArrow(9, 9.5, 6, 120, -300); d.Poly({{7.5, 7}, {12, 9.5}, {7.5, 12}}); break;
    case G::Back: d.Bar(3, 4, 2, 10); d.Poly({{10, 4}, {5, 9}, {10, 14}}); d.Poly({{15, 4}, {10, 9}, {15, 14}}); break;
    case G::Next: d.Bar(13, 4, 2, 10); d.Poly({{3, 4}, {8, 9}, {3, 14}}); d.Poly({{8, 4}, {13, 9}, {8, 14}}); break;
    case G::SkipBack: d.Poly({{9, 4}, {2, 9}, {9, 14}}); d.Poly({{16, 4}, {9, 9}, {16, 14}}); break;
    case G::SkipNext: d.Poly({{2, 4}, {9, 9}, {2, 14}}); d.Poly({{9, 4}, {16, 9}, {9, 14}}); break;
    case G::FrameBack: d.Bar(4, 4, 2, 10); d.Poly({{14, 4}, {7, 9}, {14, 14}}); break;
    case G::FrameNext: d.Bar(12, 4, 2, 10); d.Poly({{4, 4}, {11, 9}, {4, 14}}); break;
    case G::Volume:
        d.Speaker();
        d.Ink();
        painter.drawArc(QRectF(7, 6, 6, 6), -60 * 16, 120 * 16);
        painter.drawArc(QRectF(6, 3, 10, 12), -60 * 16, 120 * 16);
        break;
    case G::Mute: d.Speaker(); d.Cross(11, 6.5, 5); break;
    case G::Balance:
        d.Line(2, 9, 16, 9);
        d.Poly({{9, 5}, {12, 9}, {9, 13}, {6, 9}}, kAccent);
        d.Text(QRectF(0, 0, 6, 7), QStringLiteral("L"), 6);
        d.Text(QRectF(12, 0, 6, 7), QStringLiteral("R"), 6);
        break;
    case G::RepeatAll: d.Loop(); break;
    case G::RepeatOne: d.Loop(); d.Text(QRectF(4, 4, 10, 10), QStringLiteral("1"), 8); break;
    case G::RepeatAB: d.Loop(); d.Text(QRectF(3, 4, 12, 10), QStringLiteral("AB"), 6.5); break;
    case G::PointA: d.Line(3, 3, 3, 15, kAccent, 2); d.Text(QRectF(5, 2, 12, 14), QStringLiteral("A"), 12); break;
    case G::PointB: d.Line(15, 3, 15, 15, kAccent, 2); d.Text(QRectF(1, 2, 12, 14), QStringLiteral("B"), 12); break;
    case G::PointReset: d.Text(QRectF(0, 1, 18, 12), QStringLiteral("AB"), 9); d.Cross(6, 12, 5); break;
    case G::ZoomUp: d.Magnifier(); d.Line(4.5, 7, 9.5, 7); d.Line(7, 4.5, 7, 9.5); break;
    case G::ZoomDown: d.Magnifier(); d.Line(4.5, 7, 9.5, 7); break;
    case G::ZoomMenu: d.Magnifier(); d.Poly({{11, 2}, {17, 2}, {14, 5.5}}, kAccent); break;
    case G::Fit:
        d.Frame();
        d.Line(9, 5.5, 9, 12.5, kAccent);
        d.Poly({{9, 5}, {6.5, 8}, {11.5, 8}}, kAccent);
        d.Poly({{9, 13}, {6.5, 10}, {11.5, 10}}, kAccent);
        break;
    case G::FullScreen: d.Corners(2.5); d.Bar(6, 6, 6, 6, kAccent); break;
    case G::MaxZoom: d.Corners(2.5); d.Bar(4.5, 4.5, 9, 9, kAccent); break;
    case G::Wallpaper:
        d.Box(1.5, 2.5, 15, 10);
        d.Line(6, 16, 12, 16);
        d.Line(9, 12.5, 9, 16);
        d.Poly({{3.5, 11}, {7, 6}, {9.5, 9}, {11.5, 7}, {14.5, 11}}, kAccent);
        break;
    case G::Capture:
        d.Box(1.5, 5.5, 15, 10);
        d.Bar(5, 3, 5, 2.5);
        d.Ink(kAccent, 1.6);
        painter.drawEllipse(QRectF(6, 7.5, 6, 6));
        break;
    case G::Renderer: d.Box(1.5, 2.5, 15, 10); d.Line(6, 16, 12, 16); d.Line(9, 12.5, 9, 16); break;
    case G::Aspect: d.Box(1.5, 4.5, 15, 9); d.Text(QRectF(1, 4, 16, 10), QStringLiteral("16:9"), 6); break;
    case G::OpenFile: d.Document(); d.Poly({{9, 7}, {13, 11}, {10.5, 11}, {10.5, 14}, {7.5, 14}, {7.5, 11}, {5, 11}}, kAccent); break;
    case G::OpenFolder: d.Folder(); break;
    case G::OpenThisFolder: d.Folder(); d.Bar(7.5, 9.5, 3.5, 3.5, kAccent); break;
    case G::SaveList:
        d.Box(2.5, 2.5, 13, 13);
        d.Bar(5, 2.5, 8, 4.5);
        d.Bar(5, 10, 8, 5.5, kAccent);
        break;
    case G::Property: d.Document(); d.Text(QRectF(4, 4, 10, 12), QStringLiteral("i"), 10, kAccent); break;
    case G::Exit:
        d.Box(2.5, 2.5, 8, 13);
        d.Line(8, 9, 16, 9, kWarn);
        d.Poly({{17, 9}, {13.5, 6}, {13.5, 12}}, kWarn);
        break;
    case G::List: d.Lines(6, 4, 4, 10); for (int i = 0; i < 4; ++i) d.Bar(2, 3.25 + i * 3.5, 1.6, 1.6); break;
    case G::Delete: d.Lines(2, 4, 3, 9); d.Cross(11, 10, 5); break;
    case G::Tag:
        d.Ink();
        painter.drawPolygon(QPolygonF({{2, 9}, {8, 3}, {15, 3}, {15, 15}, {8, 15}}));
        d.Bar(10.5, 8, 2, 2, kAccent);
        break;
    case G::AddOn: d.Lines(2, 4, 3, 8); d.Line(13, 9, 13, 16, kAccent, 2); d.Line(9.5, 12.5, 16.5, 12.5, kAccent, 2); break;
    case G::AddOff: d.Lines(2, 4, 3, 8); d.Line(13, 9, 13, 16, kInk, 1.2); d.Line(9.5, 12.5, 16.5, 12.5, kInk, 1.2); break;
    case G::RelativePath: d.Document(); d.Text(QRectF(3, 6, 12, 10), QStringLiteral(".."), 9, kAccent); break;
    case G::DataBase:
        d.Ink();
        painter.drawEllipse(QRectF(3, 2, 12, 4));
        painter.drawLine(QPointF(3, 4), QPointF(3, 14));
        painter.drawLine(QPointF(15, 4), QPointF(15, 14));
        painter.drawArc(QRectF(3, 12, 12, 4), 180 * 16, 180 * 16);
        painter.drawArc(QRectF(3, 8, 12, 4), 180 * 16, 180 * 16);
        break;
    case G::Rename: d.Box(1.5, 5.5, 15, 7); d.Line(11, 3, 11, 15, kAccent); d.Text(QRectF(2, 5, 9, 8), QStringLiteral("A"), 7); break;
    case G::MoveFile: d.Document(2, 2); d.Line(9, 11, 16, 11, kAccent); d.Poly({{17, 11}, {13.5, 8}, {13.5, 14}}, kAccent); break;
    case G::CopyFile: d.Box(2.5, 2.5, 8, 10); d.Box(7.5, 5.5, 8, 10, kAccent); break;
    case G::Trash:
        d.Line(3, 4.5, 15, 4.5);
        d.Line(7, 2.5, 11, 2.5);
        d.Ink();
        painter.drawPolygon(QPolygonF({{4.5, 5}, {13.5, 5}, {12.5, 16}, {5.5, 16}}));
        d.Line(7.5, 7.5, 7.5, 13.5, kInk, 1);
        d.Line(10.5, 7.5, 10.5, 13.5, kInk, 1);
        break;
    case G::FileCmd: d.Document(); d.Bar(6.5, 8, 5, 1.5, kAccent); d.Bar(6.5, 11, 5, 1.5, kAccent); break;
    case G::SendTo: d.Document(2, 2); d.Poly({{10, 9}, {17, 12.5}, {10, 16}}, kAccent); break;
    case G::Search:
        d.Magnifier();
        d.Ink(kAccent, 1);
        painter.drawLine(QPointF(2.5, 7), QPointF(11.5, 7));
        painter.drawEllipse(QRectF(5, 2.5, 4, 9));
        break;
    case G::Random:
    case G::RandomOn: {
        const QColor c = g == G::RandomOn ? kAccent : kInk;
        d.Line(2, 5, 6, 5, c); d.Line(6, 5, 12, 13, c); d.Line(12, 13, 14, 13, c);
        d.Line(2, 13, 6, 13, c); d.Line(6, 13, 12, 5, c); d.Line(12, 5, 14, 5, c);
        d.Poly({{17, 5}, {13.5, 2.5}, {13.5, 7.5}}, c);
        d.Poly({{17, 13}, {13.5, 10.5}, {13.5, 15.5}}, c);
        break;
    }
    case G::OriginalSize: d.Box(1.5, 3.5, 15, 11); d.Text(QRectF(1, 3, 16, 12), QStringLiteral("1:1"), 8); break;
    case G::OpenFit: d.Folder(); d.Line(9, 9, 9, 14, kAccent); d.Poly({{9, 8.5}, {7, 11}, {11, 11}}, kAccent); break;
    case G::KeepAspect:
        d.Frame();
        d.Ink(kAccent, 1.4);
        painter.drawArc(QRectF(6.5, 5.5, 5, 5), 0, 180 * 16);
        d.Bar(5.5, 8, 7, 5, kAccent);
        break;
    case G::ScreenSaver:
        d.Box(1.5, 2.5, 15, 10);
        d.Line(9, 12.5, 9, 16);
        d.Line(6, 16, 12, 16);
        d.Fill(kAccent);
        painter.drawEllipse(QRectF(6, 4.5, 6, 6));
        break;
    case G::AllowExt:
        d.Ink();
        painter.drawPolygon(QPolygonF({{2, 3}, {16, 3}, {10.5, 9}, {10.5, 15}, {7.5, 13}, {7.5, 9}}));
        break;
    case G::Decoder: d.Box(2.5, 4.5, 13, 9); d.Text(QRectF(2, 4, 14, 10), QStringLiteral("AV"), 7); break;
    case G::NoSave: d.Box(2.5, 2.5, 13, 13); d.Bar(5, 2.5, 8, 4.5); d.Cross(7, 9, 6); break;
    case G::InfoPanel: d.Box(1.5, 3.5, 15, 11); d.Text(QRectF(1, 3, 16, 12), QStringLiteral("i"), 10, kAccent); break;
    case G::TimeVerbose:
        d.Ink();
        painter.drawEllipse(QRectF(2, 2, 14, 14));
        d.Line(9, 9, 9, 4.5, kAccent);
        d.Line(9, 9, 12.5, 10.5, kAccent);
        break;
    case G::Settings:
        d.Ink(kInk, 2.6);
        for (int i = 0; i < 4; ++i) {
            const qreal a = qDegreesToRadians(45.0 * i);
            painter.drawLine(QPointF(9 + 7 * std::cos(a), 9 + 7 * std::sin(a)),
                             QPointF(9 - 7 * std::cos(a), 9 - 7 * std::sin(a)));
        }
        d.Fill(kInk);
        painter.drawEllipse(QRectF(3.5, 3.5, 11, 11));
        d.Fill(Qt::white);
        painter.drawEllipse(QRectF(6.5, 6.5, 5, 5));
        break;
    case G::MenuCustom: d.Box(2.5, 2.5, 13, 13); d.Lines(5, 6, 3, 8); break;
    case G::ToolBarCustom: d.Box(1.5, 5.5, 15, 7); d.Bar(3.5, 7.5, 3, 3, kAccent); d.Bar(7.5, 7.5, 3, 3); d.Bar(11.5, 7.5, 3, 3); break;
    case G::ShortCut: d.Box(2.5, 3.5, 13, 11); d.Text(QRectF(2, 3, 14, 12), QStringLiteral("K"), 9); break;
    case G::MenuPopup: d.Box(4.5, 2.5, 11, 13); d.Lines(6.5, 6, 3, 7); d.Poly({{1, 1}, {5, 3}, {3, 5}}, kAccent); break;
    case G::WindowList: d.Box(1.5, 1.5, 10, 8); d.Box(6.5, 7.5, 10, 8, kAccent); break;
    case G::Version:
        d.Ink();
        painter.drawEllipse(QRectF(2, 2, 14, 14));
        d.Text(QRectF(2, 2, 14, 14), QStringLiteral("?"), 10, kAccent);
        break;
    case G::Debug:
        d.Ink();
        painter.drawEllipse(QRectF(5, 5, 8, 11));
        d.Line(2, 8, 5, 9); d.Line(16, 8, 13, 9); d.Line(2, 14, 5, 13); d.Line(16, 14, 13, 13);
        d.Line(7, 3, 8, 5); d.Line(11, 3, 10, 5);
        break;
    case G::Cut:
        d.Line(6.5, 11.5, 12.5, 2);
        d.Line(11.5, 11.5, 5.5, 2);
        d.Ink(kAccent, 1.5);
        painter.drawEllipse(QRectF(2, 11, 5, 5));
        painter.drawEllipse(QRectF(11, 11, 5, 5));
        break;
    case G::Copy:
        d.Box(2.5, 1.5, 9, 11);
        d.Bar(6.5, 5.5, 9, 11, Qt::white);
        d.Box(6.5, 5.5, 9, 11, kAccent);
        d.Line(8.5, 9, 13.5, 9, kInk, 1);
        d.Line(8.5, 12, 13.5, 12, kInk, 1);
        break;
    case G::Paste:
        d.Box(1.5, 3.5, 9, 12.5);
        d.Bar(3.5, 2, 5, 3);
        d.Line(3.5, 8.5, 8.5, 8.5, kInk, 1);
        d.Line(3.5, 11.5, 8.5, 11.5, kInk, 1);
        d.Line(14, 9.5, 14, 15.5, kAccent, 2);
        d.Line(11, 12.5, 17, 12.5, kAccent, 2);
        break;
    case G::FindUp: d.SmallMagnifier(); d.Arrow(14.5, 16, 1.5); break;
    case G::FindDown: d.SmallMagnifier(); d.Arrow(14.5, 2, 16.5); break;
    case G::Sort:
        for (int i = 0; i < 4; ++i)
            d.Bar(2, 3 + i * 3.5, 2.5 + i * 2, 2);
        d.Arrow(14.5, 2.5, 16);
        break;
    case G::MoveList:
        d.Lines(2, 4, 4, 8);
        d.Arrow(14.5, 9, 1.5);
        d.Arrow(14.5, 9, 16.5);
        break;
    case G::GoToPlaying:
        d.Lines(7.5, 4, 4, 8.5);
        d.Poly({{1.5, 4.5}, {6, 7.5}, {1.5, 10.5}}, kAccent);
        break;
    case G::PlayerWindow:
        d.Box(1.5, 2.5, 15, 13);
        d.Line(1.5, 5.5, 16.5, 5.5);
        d.Poly({{7, 8}, {12, 11}, {7, 14}}, kAccent);
        break;
    case G::MoveTop: d.Climb(1, true); break;
    case G::MoveUp100: d.Climb(3, false); break;
    case G::MoveUp10: d.Climb(2, false); break;
    case G::MoveUp: d.Climb(1, false); break;
    case G::MoveDown: d.Mirrored([&] { d.Climb(1, false); }); break;
    case G::MoveDown10: d.Mirrored([&] { d.Climb(2, false); }); break;
    case G::MoveDown100: d.Mirrored([&] { d.Climb(3, false); }); break;
    case G::MoveBottom: d.Mirrored([&] { d.Climb(1, true); }); break;
    }
}

QPixmap Render(int scale, const std::function<void(QPainter &)> &paint)
{
    QPixmap pixmap(18 * scale, 18 * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    paint(painter);
    return pixmap;
}

void AddGlyph(QIcon &icon, TMyGlyph glyph, QIcon::State state)
{
    for (int scale : {1, 2})
        icon.addPixmap(Render(scale, [glyph](QPainter &p) { Paint(p, glyph); }), QIcon::Normal, state);
}

// An icon whose images are drawn when it is first painted or asked for an image, not when it is
// made: most icons of the menus are never shown in a run, and none is needed before the window
// first appears. The drawn icon is kept (and shared by copies) for every later use.
class LazyIconEngine : public QIconEngine {
public:
    explicit LazyIconEngine(std::function<QIcon()> make)
        : m_shared(std::make_shared<Shared>(Shared{std::move(make), QIcon()}))
    {
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        Drawn().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return Drawn().pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return Drawn().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return Drawn().availableSizes(mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return Drawn().pixmap(size / scale, scale, mode, state);
    }
    QIconEngine *clone() const override { return new LazyIconEngine(m_shared); }
    QString key() const override { return QStringLiteral("LazyIconEngine"); }

private:
    struct Shared {
        std::function<QIcon()> make;
        QIcon drawn;
    };
    explicit LazyIconEngine(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
    const QIcon &Drawn()
    {
        if (m_shared->make) {
            m_shared->drawn = m_shared->make();
            m_shared->make = nullptr;
        }
        return m_shared->drawn;
    }
    std::shared_ptr<Shared> m_shared;
};

} // namespace

QIcon GlyphIcon(TMyGlyph glyph, TMyGlyph checked)
{
    if (glyph == TMyGlyph::None)
        return QIcon();
    return QIcon(new LazyIconEngine([glyph, checked] {
        QIcon icon;
        AddGlyph(icon, glyph, QIcon::Off);
        if (checked != TMyGlyph::None)
            AddGlyph(icon, checked, QIcon::On);
        return icon;
    }));
}

QIcon TextIcon(const QString &text, bool framed)
{
    return QIcon(new LazyIconEngine([text, framed] {
        QIcon icon;
        for (int scale : {1, 2}) {
            icon.addPixmap(Render(scale, [&](QPainter &p) {
                Pen d{p};
                if (framed)
                    d.Box(0.75, 2.75, 16.5, 12.5, kInk, 1);
                const qreal size = text.size() <= 2 ? 10 : (text.size() == 3 ? 8 : 6.5);
                d.Text(QRectF(0, 0, 18, 18), text, size);
            }));
        }
        return icon;
    }));
}

QHash<QString, QIcon> CommandGlyphIcons(std::span<const TMyCommandGlyph> table)
{
    QHash<QString, QIcon> icons;
    icons.reserve(qsizetype(table.size()));
    for (const TMyCommandGlyph &row : table)
        icons.insert(row.Command.toString().toLower(), GlyphIcon(row.Glyph, row.Checked));
    return icons;
}
