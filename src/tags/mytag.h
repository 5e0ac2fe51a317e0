#pragma once
// The tag object of one media file: its name parts, size, times, the text fields of its ID3 or
// Windows Media tag and its media information, and TMyTagValue, the record form in which tag
// data travels between threads, windows and the tag library.

#include "lists/tobject.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <memory>
#include <utility>

// The text fields of a tag, shared by the tag object and its record form.
struct TMyTagTexts {
    QString Album;
    QString AlbumArtist;
    QString Artist;
    QString Composer;
    QString Conductor;
    QString Director;
    QString Genre;
    QString OriginalAlbum;
    QString OriginalArtist;
    QString OriginalLyricist;
    QString Publisher;
    QString Producer;
    QString OriginalReleaseTime;
    QString OriginalReleaseYear;
    QString ContentGroup;
    QString PartOfSet;
    QString Subtitle;
    QString Title;
    QString Track;
    QString ModifiedBy;
    QString Writer;
    QString Year;
    QString UserText;
    QString UserUrl;
    QString Lyrics;
    QString Comment;
};

// Record form of a tag. Times are Windows file times (100-ns ticks since 1601-01-01 UTC).
struct TMyTagValue : TMyTagTexts {
    QString FileName;
    qint64 FileSize = 0;
    qint64 FileWriteTime = 0;
    qint64 FileCreateTime = 0;
    int MediaLength = 0;
    double MediaDuration = -1.0;
    int VideoWidth = 0;
    int VideoHeight = 0;
    double VideoFrameRate = 0.0;
};

// Base of the tag classes: file facts and the read operations the format readers use; it reads
// no tag itself.
//
// A tag is small until a tag is read or set: the file facts are inline, the name parts are
// computed from FileName when asked for, and the text fields live in a block of their own made
// on the first write (Texts() reads them, EditTexts() writes them). A media list holds one tag
// per entry, so this keeps a long list light.
class TMyCustomTag : public TObject {
public:
    TMyCustomTag();
    explicit TMyCustomTag(const QString &fileName);
    TMyCustomTag(const TMyCustomTag &tag);
    explicit TMyCustomTag(const TMyTagValue &value);
    TMyCustomTag &operator=(const TMyCustomTag &tag);
    ~TMyCustomTag() override;

    // Name parts, size, times and the found flags; opens the file for the readers when it is a
    // regular file (never blocking on a FIFO or a device).
    virtual void ReadFromFile(const QString &fileName);
    // Empties TagVersion and every text field, zeroes the video size and frame rate, and sets
    // MediaDuration to -1.
    virtual void ClearTagFields();
    virtual void Assign(const TMyCustomTag &tag);
    // As a tag made from the record: TagVersion empty, MediaLength from the duration, the found
    // flags from the file system.
    void AssignValue(const TMyTagValue &value);
    void AssignValue(TMyTagValue &&value);
    TMyTagValue GetValue() const;

    void SetFileName(const QString &fileName);
    // Name parts of FileName.
    QString FilePath() const;   // folder with its trailing separator
    QString Folder() const;     // folder without it
    QString Name() const;       // name with extension
    QString BaseName() const;   // name without extension
    QString Extension() const;  // with the dot

    // The text fields: empty ones when none was ever set.
    const TMyTagTexts &Texts() const { return m_texts ? *m_texts : EmptyTexts(); }
    // The text fields for writing (made on first use).
    TMyTagTexts &EditTexts();
    bool HasTexts() const { return m_texts != nullptr; }

    QString TitleOrName() const;
    QString SizeText() const;
    QString WriteTimeText() const;
    QDateTime WriteDateTime() const;   // UTC; invalid when unknown
    QDateTime CreateDateTime() const;

    // Reads of the open file into the read buffer; each returns the bytes read.
    qint64 ReadHead(qint64 n);
    qint64 ReadAt(qint64 offset, qint64 n);
    qint64 ReadTail(qint64 n);
    const QByteArray &ReadBuffer() const;
    // Moves the read buffer out (for a reader that edits the bytes in place).
    QByteArray TakeReadBuffer();
    void CloseFile();
    bool HasOpenFile() const;

    // Serves the reads from the bytes given, as if they were the named file's contents (tests
    // and fuzzing of the readers; nothing touches the file system).
    void OpenBytes(const QString &fileName, const QByteArray &bytes);

    QString FileName;
    qint64 FileSize = 0;
    qint64 FileWriteTime = 0;
    qint64 FileCreateTime = 0;
    int VideoWidth = 0;
    int VideoHeight = 0;
    double VideoFrameRate = 0.0;
    int MediaLength = 0;
    double MediaDuration = -1.0;
    QString TagVersion;

    // Whether the file exists (and is no folder), and whether its folder does. Reading the file
    // and a folder search set them as they find them; a tag made from a value (a library record,
    // a walk's report) asks the file system when first asked, so tags nobody asks about cost no
    // look-up. With an empty file name both are false.
    bool FileFound() const;
    bool FolderFound() const;
    void SetFileFound(bool found) { m_fileFound = found ? Found::Yes : Found::No; }
    void SetFolderFound(bool found) { m_folderFound = found ? Found::Yes : Found::No; }

    class Source;

protected:
    // Takes over the open file (or bytes) and the file facts of another tag, for a reader that
    // works on what its owner has already opened.
    void TakeOpenFile(TMyCustomTag &owner);
    void CopyTextFields(const TMyCustomTag &from);
    void SetTexts(TMyTagTexts texts);

private:
    static const TMyTagTexts &EmptyTexts();
    struct OpenFile;
    OpenFile &Open();

    std::unique_ptr<TMyTagTexts> m_texts;
    std::unique_ptr<OpenFile> m_open;  // the open file, its read position and buffer
    enum class Found : uint8_t { No, Yes, Unknown };
    mutable Found m_fileFound = Found::No;
    mutable Found m_folderFound = Found::No;
};

// Reads the tag that fits the extension (".mp3" ID3, ".wma"/".wmv" ASF) and always has a title.
// The file is closed when the read returns.
class TMyTag : public TMyCustomTag {
public:
    TMyTag() = default;
    explicit TMyTag(const QString &fileName) { TMyTag::ReadFromFile(fileName); }
    explicit TMyTag(const TMyCustomTag &tag) : TMyCustomTag(tag) {}
    explicit TMyTag(const TMyTagValue &value) : TMyCustomTag(value) {}
    void ReadFromFile(const QString &fileName) override;
    // As ReadFromFile, over bytes standing in for the file's contents.
    void ReadFromBytes(const QString &fileName, const QByteArray &bytes);

private:
    void ReadOpened();
};

// A TMyTag that also measures the media information when it reads a file.
class TMyTag2 : public TMyTag {
public:
    TMyTag2() = default;
    explicit TMyTag2(const QString &fileName) { TMyTag2::ReadFromFile(fileName); }
    explicit TMyTag2(const TMyCustomTag &tag) : TMyTag(tag) {}
    explicit TMyTag2(const TMyTagValue &value) : TMyTag(value) {}
    void ReadFromFile(const QString &fileName) override;
    // Measures duration, video size and frame rate of the tag's file and stores them.
    void ReadMediaInfo();
};

// Whole seconds of a duration: away from zero (measurement) or to the nearest, halves away
// from zero (building and copying tags).
int DurationSecondsUp(double seconds);
int DurationSecondsNearest(double seconds);
