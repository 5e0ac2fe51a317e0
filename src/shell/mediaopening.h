#pragma once
// What opening media decides before and after the search: which extensions enter the playlist,
// which given paths are refused outright, where playback starts, how a list is saved and where
// the resume list lies.

#include <QString>
#include <QStringList>

#include <functional>

class TMyWStrings;

// The nine extensions every list admits, the 47 it never admits, and the admitted list a new
// player starts with (the base list, the video and playlist extensions, then the formats common
// on Linux desktops).
const QStringList &BaseMediaExtensions();
const QStringList &ExcludedExtensions();
const QStringList &DefaultAllowedExtensions();
// A section of allowed extensions as the settings keep it, plus the base list: sorted, each once.
QStringList MergeAllowedExtensions(const QStringList &lines);

// A path that is an existing program or launcher file (".bat", ".com", ".exe", ".lnk", ".pif",
// ".desktop"): never opened as media.
bool IsProgramFile(const QString &path);
// The paths without the program files (removed from the end towards the start).
QStringList WithoutProgramFiles(const QStringList &paths);

// Where playback starts after an opening.
struct TMyStartChoice {
    int savedIndex = -1;     // a resume point's entry, or -1
    bool adding = false;     // the new entries were appended
    bool random = false;     // random order is on
    int startCount = 0;      // the entries before the opening
    int count = 0;           // the entries after it
    int nextIndex = 0;       // the player's NextIndex(0)
};
// The resume point's entry when there is one; when adding, the first added entry (a random one
// of them in random order); otherwise NextIndex(0). -1 when nothing was added.
int ChooseStartIndex(const TMyStartChoice &choice, const std::function<int(int bound)> &random);

// Writes the entries as the save dialog's filter index asks: 1 M3U8, 2 M3U, 3 PLS, 4 WPL; any
// other index by the file's extension (lower case), plain text for an unknown one. With
// relative on, entries are made relative to the file's folder first. False when the file could
// not be written.
bool SaveListAs(const TMyWStrings &entries, const QString &fileName, int filterIndex, bool relative);

// The resume list beside the settings: the data path with ".resume.m3u8".
QString ResumeListPath();
// A non-empty list is written there as UTF-8 without byte-order mark, one path a line; an empty
// one deletes the file. False when writing failed.
bool WriteResumeList(const TMyWStrings &entries);
