#pragma once
// TMyMediaStrings: the list of media files that the player plays and the playlist window shows.
// Every entry owns a TMyTag; folder searches expand the playlist files they meet (M3U, M3U8, PLS,
// WPL) into their entries; the list sorts by file and tag properties.

#include "lists/filestrings.h"
#include "tags/mytag.h"
#include "tags/playlistfiles.h"

#include <QSet>
#include <QString>

#include <functional>

class TMyMediaStrings : public TMyFileStrings {
public:
    TMyMediaStrings();
    ~TMyMediaStrings() override;

    // Entries read from playlist files enter only when their file exists.
    bool CheckExists = true;

    // Clear, Delete and DeleteRange free the entries' tags; other removals and moves leave them
    // alone.
    void Clear() override;
    void Delete(int index) override;
    void DeleteRange(int first, int count) override;

    // A tag holding only the file facts of the directory entry (name, size, times); the file
    // is not opened and the duration is 0.
    TObject *CreateEntryObject(const QString &fileName, const TMySearchRec &entry) override;
    // The file-list search, then, when it ran to the end, ExpandPlaylists(CheckExists). False
    // when the search or the expansion was cancelled.
    bool Search() override;
    bool SearchList(const TMyWStrings &targets) override;
    bool SearchTarget(const QString &target) override;

    // Sorts of first..last (last -1: to the end), stable, descending when ascending is false.
    // Entries without a tag fall back to their file name (file keys) or to empty/0 (tag keys).
    void SortByName(bool ascending = true, int first = 0, int last = -1) override;
    void SortByFolder(bool ascending = true, int first = 0, int last = -1) override;  // no trailing "/"
    void SortByExt(bool ascending = true, int first = 0, int last = -1) override;
    void SortBySize(bool ascending = true, int first = 0, int last = -1) override;
    void SortByWriteTime(bool ascending = true, int first = 0, int last = -1) override;
    void SortByCreationTime(bool ascending = true, int first = 0, int last = -1) override;

    virtual int ExpandPlaylistsChecked() { return ExpandPlaylists(true); }
    // Replaces every playlist-file entry by the entries it lists, in place and in file order;
    // a playlist met again (itself, or through others) is read once per call, and playlists are
    // followed through at most kMaxPlaylistNesting levels of playlists. Returns the change
    // of Count. Each playlist entry goes through Delete and its entries go in with one insertion,
    // so the work is linear in the entries read (plus one move of the list per playlist entry).
    virtual int ExpandPlaylists(bool checkExists);
    // How deep playlists naming playlists are followed (a long chain of distinct files would
    // otherwise run the reading out of stack).
    static constexpr int kMaxPlaylistNesting = 256;

    virtual void SortByDuration(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByDurationSeconds(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByVideoSize(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByFrameRate(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByAlbum(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByAlbumArtist(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByArtist(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByComposer(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByConductor(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByGenre(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByTitle(bool ascending = true, int first = 0, int last = -1);  // title, else base name
    virtual void SortByTrack(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByWriter(bool ascending = true, int first = 0, int last = -1);

    // The tag of an entry (none when the entry carries no TMyTag).
    TMyTag *Tag(int index) const;
    // A tag for the file from one directory lookup (size and times 0 when it is not there).
    TMyTag *CreateTagFor(const QString &fileName);

private:
    struct Found;
    bool CancelRequested();
    bool ReadPlaylist(const QString &fileName, QSet<QString> &visited, bool checkExists, QList<Item> &reversed,
                      int depth = 0);
    TMyTag *MakeTag(const QString &fileName, const TMySearchRec *entry, bool fileFound);
    void SortByText(bool ascending, int first, int last, const std::function<QString(const TMyTag *, const QString &)> &key);
    void SortByInteger(bool ascending, int first, int last, const std::function<qint64(const TMyTag *, const QString &)> &key);
    void SortByReal(bool ascending, int first, int last, const std::function<double(const TMyTag *)> &key);
    void FreeTags();

    bool m_expandCancelled = false;
    int m_eventTick = 0;
    QString m_folderSeen;  // the last folder whose existence was looked up, and the answer
    bool m_folderSeenExists = false;
};

// Every entry made relative to the folder of the playlist file (entries that have no relative
// form, URLs among them, stay as they are): what "save with relative paths" writes.
void MakeEntriesRelative(TMyWStrings &entries, const QString &playlistFile);
