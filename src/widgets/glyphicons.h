#pragma once
// The program's own small images for commands: simple monochrome glyphs drawn with QPainter on
// an 18 × 18 grid (and twice that for high-density screens), so no image files or image format
// plug-ins are needed. User-interface thread (QPixmap).

#include <QHash>
#include <QIcon>
#include <QString>

#include <span>

enum class TMyGlyph {
    None,
    Play, Pause, PlayPause, Stop, Replay, Back, Next, SkipBack, SkipNext, FrameBack, FrameNext,
    Volume, Mute, Balance,
    RepeatAll, RepeatOne, RepeatAB, PointA, PointB, PointReset,
    ZoomUp, ZoomDown, ZoomMenu, Fit, FullScreen, MaxZoom, Wallpaper, Capture, Renderer, Aspect,
    OpenFile, OpenFolder, OpenThisFolder, SaveList, Property, Exit,
    List, Delete, Tag, AddOn, AddOff, RelativePath, DataBase,
    Rename, MoveFile, CopyFile, Trash, FileCmd, SendTo, Search,
    Random, RandomOn, OriginalSize, OpenFit, KeepAspect, ScreenSaver, AllowExt, Decoder, NoSave,
    InfoPanel, TimeVerbose, Settings, MenuCustom, ToolBarCustom, ShortCut, MenuPopup, WindowList,
    Version, Debug,
    Cut, Copy, Paste, FindUp, FindDown, Sort, MoveList, GoToPlaying, PlayerWindow,
    MoveTop, MoveUp100, MoveUp10, MoveUp, MoveDown, MoveDown10, MoveDown100, MoveBottom,
};

// The last glyph of the list (keep it so when adding one: tests draw them all from Play on).
constexpr TMyGlyph kLastGlyph = TMyGlyph::MoveBottom;

// The glyph as an icon; with a second glyph, that one is the image shown while checked
// (QIcon::On).
QIcon GlyphIcon(TMyGlyph glyph, TMyGlyph checked = TMyGlyph::None);
// A short text (a play rate such as "1.5", a zoom such as "200") drawn to fill the image.
QIcon TextIcon(const QString &text, bool framed = false);

// One row of a window's table of command images: the command's name, its glyph and the glyph
// shown while it is checked (None: the same).
struct TMyCommandGlyph {
    QStringView Command;
    TMyGlyph Glyph;
    TMyGlyph Checked = TMyGlyph::None;
};

// The icons of such a table, keyed by the command's name in lower case.
QHash<QString, QIcon> CommandGlyphIcons(std::span<const TMyCommandGlyph> table);
