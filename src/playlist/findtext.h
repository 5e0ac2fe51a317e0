#pragma once
// The find box's text rules (any thread): the normalised form that makes letter case, character
// width and kana type not matter, the target text of an entry, and the history of search texts.

#include <QString>
#include <QStringList>

class TMyWStrings;

// The text upper-cased, in katakana and in full width, as the locale mapping with those three
// flags gives it; half-width katakana with a voiced or semi-voiced mark become the one composed
// full-width letter. ASCII, kana and CJK text go through a table; other text through the locale
// mapping.
QString NormalizeFindText(QStringView text);
// The same into a buffer the caller reuses (the find walk over a long list).
void NormalizeFindTextInto(QStringView text, QString &out);

// What the find box searches.
enum class TMyFindTarget {
    FileName,   // the whole path
    MediaPath,  // the folder with its trailing separator
    MediaName,  // the name with extension (the default)
    Artist,
    Album,
    Title,      // the title, or the base name
    Composer,
    Writer,
    Conductor,
};

// The commands that choose each target, in the order of TMyFindTarget.
inline constexpr QStringView kFindTargetCommands[] = {
    u"actFind_FindFileName", u"actFind_FindMediaPath", u"actFind_FindMediaName",
    u"actFind_FindArtist",   u"actFind_FindAlbum",     u"actFind_FindTitle",
    u"actFind_FindComposer", u"actFind_FindWriter",    u"actFind_FindConductor"};

// The target text of an entry; false when the target is a tag field and the entry has no tag
// record (such an entry never matches).
bool FindTargetText(const TMyWStrings &list, int index, TMyFindTarget target, QString &text);
// True when the entry's normalised target text contains the normalised search text.
bool EntryMatchesFind(const TMyWStrings &list, int index, TMyFindTarget target, QStringView normalizedSearch,
                      QString &buffer);

// The stored form of the target ("LIST", "Find"): 0 the file name, 1 the folder, 2 anything else;
// read back 1 as the folder, 2 (the default) as the whole path, anything else as the file name.
int FindTargetSetting(TMyFindTarget target);
TMyFindTarget FindTargetFromSetting(int value);

// The search texts, newest first, at most ten; texts equal after normalisation are one.
class TMyFindHistory {
public:
    static constexpr int kMax = 10;
    // The newest again changes nothing; an older equal one moves to the top.
    // Returns false when nothing changed.
    bool Add(const QString &text);
    // The stored lines, newest first: empty lines at the end are dropped and the rest added
    // oldest first, so that the first line ends at the top.
    void Load(const QStringList &lines);
    const QStringList &Items() const { return m_items; }
    void Clear() { m_items.clear(); }

private:
    QStringList m_items;
};
