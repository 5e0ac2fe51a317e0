#pragma once
// Playlist files: M3U (".m3u", ANSI), UTF-8 M3U (".m3u8"), PLS (".pls") and WPL (".wpl", a SMIL
// document). The readers give the raw entries of a file in file order; making them absolute,
// the existence test and the expansion of nested playlists are the media list's business.

#include "lists/mywstrings.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>

enum class PlaylistFormat : uint8_t { None = 0, M3U = 1, M3U8 = 2, PLS = 3, WPL = 4 };

// The format by the file's extension, ignoring case; None for any other file.
PlaylistFormat PlaylistFormatOf(QStringView fileName);
inline bool IsPlaylistFile(QStringView fileName) { return PlaylistFormatOf(fileName) != PlaylistFormat::None; }

// Characters with codes up to 32 removed at both ends.
QStringView TrimEntry(QStringView text);

// Raw entries of a playlist's text, in file order, untrimmed (blank ones included).
// M3U: every line but a leading "#EXTM3U" and the "#EXTINF:" lines; other "#" lines are names.
QStringList ParseM3UText(QStringView text);
// PLS: the values of File1 .. FileN of section "playlist", N = the highest FileN key present
// (NumberOfEntries is not relied on); a run of missing keys gives one empty entry. Keys and
// section names ignore case; of two equal keys the later wins.
QStringList ParsePLSText(QStringView text);
// WPL: the src attribute (else the first double-quoted text) of every <media> element between the
// last </seq> and the <seq> before it, with XML entities decoded; elements are found wherever they
// stand, several to a line or the whole document on one line.
QStringList ParseWPLText(QStringView text);

// Reads the playlist file (missing or unreadable: nothing) and parses it by its format.
// ".m3u8" and ".wpl" are UTF-8 whatever they hold; ".m3u" and ".pls" are detected (ANSI, or
// UTF-8 with a byte-order mark, or what the detection finds). A byte-order mark is never part
// of an entry.
QStringList ReadPlaylistEntries(const QString &fileName);

// XML text escapes of WPL files: & ' " < > as entities; decoding also takes numeric
// references and leaves anything it does not know as it stands.
QString EscapeWplText(QStringView text);
QString UnescapeWplText(QStringView text);

// True when the text survives windows-932 and back unchanged.
bool FitsAnsiExactly(QStringView text);

// The file name with the extension appended unless it already ends with it (exact case).
QString WithPlaylistExtension(const QString &fileName, QStringView extension);

// The file texts the writers produce (CR LF line ends).
QString M3UText(const TMyWStrings &entries);
QString WPLText(const TMyWStrings &entries);

// Writers. Each appends its extension when needed and writes through a temporary file and a
// rename; false when the file could not be written. Entries are written as they are: the caller
// makes them relative first (MakeEntriesRelative) when the user asked for relative paths.
// ".m3u" and ".pls" are ANSI (windows-932); when some entry cannot be written in it, or the
// ANSI bytes would be detected as another encoding on reading, the whole file is UTF-8 with a
// byte-order mark instead, so no entry is lost (the readers detect it).
bool SaveM3U(const TMyWStrings &entries, const QString &fileName);
bool SaveM3U8(const TMyWStrings &entries, const QString &fileName, bool withBom);
// An existing file keeps its other sections; section "playlist" is written anew at the end.
bool SavePLS(const TMyWStrings &entries, const QString &fileName);
bool SaveWPL(const TMyWStrings &entries, const QString &fileName);
// By the extension of the name: ".m3u", ".m3u8" (without byte-order mark), ".pls", ".wpl";
// any other name gets the entries as a plain text file (the list's own SaveToFile).
bool SavePlaylistByExtension(TMyWStrings &entries, const QString &fileName);
