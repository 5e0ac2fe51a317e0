#pragma once
// TMyIniFile: the settings file (and PLS playlists) read whole into memory, answered and changed
// there, and written back in one piece by UpdateFile.
//
// Format, line by line:
// - header: the trimmed line begins with "["; the name is the text up to the first "]" of the
//   rest (trimmed), which must neither be empty nor start right at "[". "[]" is no header;
// - key line: holds "="; the key is the text before the first "=", the value all after it;
// - blank lines and anything else (comments).
// A section runs from its header to the next one. Names and keys ignore case. When a name has
// two headers, readers see the first; replacing or erasing the section removes all of them.
// Reading a value section drops blank lines, lines without a key and earlier copies of a key,
// so the lowest copy wins. A written section moves to the end of the file; sections that are
// never written keep their place and text. A written line that would end its section on the
// next reading (a line break in it, or the look of a header) is left out, and so is a section
// whose name no header can carry (empty, or holding "]"). The file is read with encoding
// detection, written as ANSI when every character fits and the bytes read back as the same text,
// else as UTF-8 with byte-order mark (unless a save encoding is given), keeps the line breaks it
// had (CR LF for a new file), and is replaced through a temporary file.

#include "lists/lenientint.h"
#include "lists/mywstrings.h"
#include "lists/textencoding.h"

#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

class QObject;
class QFont;
class QColor;

// A font as the settings keep it: name, size in points, colour as 0x00BBGGRR, styles and the
// character set number.
struct TMyFontSpec {
    QString Name;
    int Size = 9;
    int Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool UnderLine = false;
    bool StrikeOut = false;
    int Charset = 1;
};


// Places a window of the rectangle's size inside the work area: moved in when it fits, at the
// area's top-left corner (and not shrunk) when it does not.
QRect FitRectOntoWorkArea(const QRect &rect, const QRect &workArea);

class TMyIniFile {
public:
    // The program's settings file.
    TMyIniFile();
    explicit TMyIniFile(const QString &fileName);
    TMyIniFile(const QString &fileName, TextEncoding saveEncoding);
    virtual ~TMyIniFile();
    TMyIniFile(const TMyIniFile &) = delete;
    TMyIniFile &operator=(const TMyIniFile &) = delete;

    // The executable's path with ".ini", in the data folder.
    static QString DefaultFileName();

    QString FileName() const { return m_fileName; }
    bool Modified() const { return m_modified; }
    TextEncoding LoadedEncoding() const { return m_loadedEncoding; }
    TextEncoding SaveEncoding() const { return m_saveEncoding; }
    // Every line as it stands (pending writes of the cached section not included).
    const TMyWStrings &Lines() const { return m_lines; }

    // When something was written: flushes the cache and writes the file through a temporary
    // file and a rename. True when the file was written; on failure the old file stays as it
    // was and the changes stay pending.
    virtual bool UpdateFile();
    virtual bool SectionExists(const QString &section) const;
    virtual void ReadSections(TMyWStrings &list) const;
    virtual void ReadSection(const QString &section, TMyWStrings &list);
    virtual void EraseSection(const QString &section);
    virtual void ReadSectionValues(const QString &section, TMyWStrings &list);
    virtual void WriteSectionValues(const QString &section, const TMyWStrings &list);
    virtual void ReadSectionLines(const QString &section, TMyWStrings &list);
    virtual void WriteSectionLines(const QString &section, const TMyWStrings &list);
    virtual QString ReadString(const QString &section, const QString &key, const QString &defaultValue);
    virtual void WriteString(const QString &section, const QString &key, const QString &value);
    // A value outside the 32-bit range gives the default.
    virtual int ReadInteger(const QString &section, const QString &key, int defaultValue);
    virtual void WriteInteger(const QString &section, const QString &key, int value);
    virtual bool ReadBool(const QString &section, const QString &key, bool defaultValue);
    virtual void ReadBoolInPlace(const QString &section, const QString &key, bool &value);
    virtual void WriteBool(const QString &section, const QString &key, bool value);
    // A value that is not a finite number reads as 0 (not as the default).
    virtual double ReadFloat(const QString &section, const QString &key, double defaultValue);
    virtual void WriteFloat(const QString &section, const QString &key, double value);

    // Writes an empty section when there is none, so that a reader can tell an empty list
    // that was saved from one that never was.
    void EnsureSection(const QString &section);

    // Rectangles as prefix_Left, _Top, _Right, _Bottom (right and bottom exclusive).
    QRect ReadRect(const QString &section, const QString &prefix, const QRect &defaultRect);
    void WriteRect(const QString &section, const QString &prefix, const QRect &rect);
    // A control's "geometry" under its object name.
    QRect ReadControlBounds(const QString &section, const QObject *control);
    void WriteControlBounds(const QString &section, const QObject *control);
    void WriteFormBounds(const QObject *form);
    // Reads the form's bounds (section "Bounds" when none is given), fits them onto the work
    // area of the nearest screen and applies them.
    void RestoreFormBounds(const QString &section, QObject *form);

    // Fonts as prefix_FontName, _FontSize, _FontColor, _FontStyleBold, _FontStyleItalic,
    // _FontStyleUnderLine, _FontStyleStrikeOut and _FontCharset; the font's values are the
    // defaults.
    void ReadFont(const QString &section, const QString &prefix, TMyFontSpec &font);
    void WriteFont(const QString &section, const QString &prefix, const TMyFontSpec &font);
    void ReadFont(const QString &section, const QString &prefix, QFont &font, QColor *color = nullptr);
    void WriteFont(const QString &section, const QString &prefix, const QFont &font, const QColor *color = nullptr);
    // ReadFont into the object's "font" property, when it has one.
    void ReadComponentFont(const QString &section, const QString &prefix, QObject *component);

private:
    struct SectionEntry {
        QString name;
        QString key;  // the name folded for comparison
        int line = 0;
    };
    void Load();
    void RebuildIndex();
    int FindSection(const QString &section) const;  // index entry, or -1
    int SectionEnd(int entry) const;                // the line after the section's last line
    void SelectSection(const QString &section);
    void FlushCache();
    void ForgetCache();
    void ReplaceSection(const QString &section, const QStringList &lines);
    void RemoveSectionLines(const QString &key);
    QStringList SectionLines(const QString &section) const;
    bool IsCached(const QString &section) const;

    QString m_fileName;
    TMyWStrings m_lines;
    std::vector<SectionEntry> m_index;
    QString m_cacheName;
    QString m_cacheKey;
    QStringList m_cache;
    QHash<QString, int> m_cacheKeys;  // folded key -> index in m_cache
    bool m_cacheValid = false;
    bool m_cacheDirty = false;
    bool m_modified = false;
    TextEncoding m_loadedEncoding = TextEncoding::Auto;
    TextEncoding m_saveEncoding = TextEncoding::Auto;
};
