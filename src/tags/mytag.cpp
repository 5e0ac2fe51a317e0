#include "tags/mytag.h"

#include "lists/fileutils.h"
#include "platform/files.h"
#include "platform/regularfile.h"
#include "tags/mediameasure.h"
#include "tags/mytagid3.h"
#include "tags/mytagwma.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <cstring>

// Where the open file's bytes come from: the file itself or bytes standing in for it.
class TMyCustomTag::Source {
public:
    virtual ~Source() = default;
    // Bytes read into buffer at the offset (fewer at the end), or -1.
    virtual qint64 ReadAt(qint64 offset, char *buffer, qint64 n) = 0;
};

namespace {

class FileSource final : public TMyCustomTag::Source {
public:
    platform::RegularFile file;
    qint64 ReadAt(qint64 offset, char *buffer, qint64 n) override { return file.ReadAt(offset, buffer, n); }
};

class BytesSource final : public TMyCustomTag::Source {
public:
    explicit BytesSource(const QByteArray &b) : bytes(b) {}
    QByteArray bytes;
    qint64 ReadAt(qint64 offset, char *buffer, qint64 n) override
    {
        if (offset < 0 || n < 0)
            return -1;
        if (offset >= bytes.size())
            return 0;
        const qint64 count = std::min<qint64>(n, bytes.size() - offset);
        std::memcpy(buffer, bytes.constData() + offset, size_t(count));
        return count;
    }
};

const QByteArray kNoBytes;

QDateTime FromFileTime(qint64 fileTime)
{
    if (fileTime <= 0)
        return {};
    constexpr qint64 kUnixEpochAsFileTime = 116444736000000000LL;
    return QDateTime::fromMSecsSinceEpoch((fileTime - kUnixEpochAsFileTime) / 10000, QTimeZone::utc());
}

} // namespace

int DurationSecondsUp(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    const double whole = seconds >= 0 ? std::ceil(seconds) : std::floor(seconds);
    return int(std::clamp(whole, -2147483648.0, 2147483647.0));
}

int DurationSecondsNearest(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    return int(std::clamp(std::round(seconds), -2147483648.0, 2147483647.0));
}

namespace {

// The file facts and media information that a tag and its record form share (the text fields
// are copied apart: a tag keeps them in a block of their own).
template <class From>
void CopyFileFacts(TMyCustomTag &to, const From &from)
{
    to.SetFileName(from.FileName);
    to.FileSize = from.FileSize;
    to.FileWriteTime = from.FileWriteTime;
    to.FileCreateTime = from.FileCreateTime;
    to.MediaDuration = from.MediaDuration;
    to.MediaLength = DurationSecondsNearest(from.MediaDuration);
    to.VideoWidth = from.VideoWidth;
    to.VideoHeight = from.VideoHeight;
    to.VideoFrameRate = from.VideoFrameRate;
}

} // namespace

// The open file of a tag while a reader works: where the bytes come from, the read position and
// the bytes last read.
struct TMyCustomTag::OpenFile {
    std::unique_ptr<Source> source;
    qint64 position = 0;
    QByteArray buffer;
};

TMyCustomTag::TMyCustomTag() = default;

TMyCustomTag::TMyCustomTag(const QString &fileName)
{
    TMyCustomTag::ReadFromFile(fileName);
}

TMyCustomTag::TMyCustomTag(const TMyCustomTag &tag) : TObject()
{
    TMyCustomTag::Assign(tag);
}

TMyCustomTag::TMyCustomTag(const TMyTagValue &v)
{
    TMyCustomTag::AssignValue(v);
}

TMyCustomTag &TMyCustomTag::operator=(const TMyCustomTag &tag)
{
    if (this != &tag)
        Assign(tag);
    return *this;
}

TMyCustomTag::~TMyCustomTag() = default;

void TMyCustomTag::SetFileName(const QString &fileName) { FileName = fileName; }

QString TMyCustomTag::FilePath() const { return ExtractFilePath(FileName); }
QString TMyCustomTag::Folder() const { return ExtractFileDir(FileName); }
QString TMyCustomTag::Name() const { return ExtractFileName(FileName); }
QString TMyCustomTag::BaseName() const { return ExtractFileBaseName(FileName); }
QString TMyCustomTag::Extension() const { return ExtractFileExt(FileName); }

const TMyTagTexts &TMyCustomTag::EmptyTexts()
{
    static const TMyTagTexts empty;
    return empty;
}

TMyTagTexts &TMyCustomTag::EditTexts()
{
    if (!m_texts)
        m_texts = std::make_unique<TMyTagTexts>();
    return *m_texts;
}

namespace {
bool AllEmpty(const TMyTagTexts &t)
{
    for (const QString *s : {&t.Album, &t.AlbumArtist, &t.Artist, &t.Composer, &t.Conductor, &t.Director, &t.Genre,
                             &t.OriginalAlbum, &t.OriginalArtist, &t.OriginalLyricist, &t.Publisher, &t.Producer,
                             &t.OriginalReleaseTime, &t.OriginalReleaseYear, &t.ContentGroup, &t.PartOfSet,
                             &t.Subtitle, &t.Title, &t.Track, &t.ModifiedBy, &t.Writer, &t.Year, &t.UserText,
                             &t.UserUrl, &t.Lyrics, &t.Comment})
        if (!s->isEmpty())
            return false;
    return true;
}
} // namespace

void TMyCustomTag::SetTexts(TMyTagTexts texts)
{
    // No block for texts that are all empty: a tag made from file facts alone stays small.
    if (AllEmpty(texts))
        m_texts.reset();
    else
        EditTexts() = std::move(texts);
}

TMyCustomTag::OpenFile &TMyCustomTag::Open()
{
    if (!m_open)
        m_open = std::make_unique<OpenFile>();
    return *m_open;
}

const QByteArray &TMyCustomTag::ReadBuffer() const { return m_open ? m_open->buffer : kNoBytes; }

QByteArray TMyCustomTag::TakeReadBuffer() { return m_open ? std::exchange(m_open->buffer, QByteArray()) : QByteArray(); }

bool TMyCustomTag::HasOpenFile() const { return m_open && m_open->source; }

void TMyCustomTag::ReadFromFile(const QString &fileName)
{
    CloseFile();
    SetFileName(fileName);
    FileSize = 0;
    FileWriteTime = 0;
    FileCreateTime = 0;
    SetFileFound(false);
    SetFolderFound(false);
    if (fileName.isEmpty())
        return;

    auto source = std::make_unique<FileSource>();
    if (source->file.Open(fileName)) {
        FileSize = source->file.Size();
        FileWriteTime = source->file.WriteTime();
        FileCreateTime = source->file.CreateTime();
        SetFileFound(true);
        Open().source = std::move(source);
    } else {
        // Not readable as a regular file: still tell what is there (a FIFO exists, a folder is
        // no file), without opening it.
        const platform::FileStatus facts = platform::GetFileStatus(fileName);
        SetFileFound(facts.exists && !facts.isDir);
        FileWriteTime = facts.writeTime;
        FileCreateTime = facts.creationTime;
    }
    const QString folder = FilePath();
    SetFolderFound(!folder.isEmpty() && platform::GetFileStatus(folder).isDir);
}

void TMyCustomTag::OpenBytes(const QString &fileName, const QByteArray &bytes)
{
    CloseFile();
    SetFileName(fileName);
    FileSize = bytes.size();
    FileWriteTime = 0;
    FileCreateTime = 0;
    SetFileFound(true);
    SetFolderFound(true);
    Open().source = std::make_unique<BytesSource>(bytes);
}

void TMyCustomTag::TakeOpenFile(TMyCustomTag &owner)
{
    CloseFile();
    SetFileName(owner.FileName);
    FileSize = owner.FileSize;
    FileWriteTime = owner.FileWriteTime;
    FileCreateTime = owner.FileCreateTime;
    m_fileFound = owner.m_fileFound;
    m_folderFound = owner.m_folderFound;
    m_open = std::move(owner.m_open);
    if (m_open)
        m_open->buffer = QByteArray();
    owner.CloseFile();
}

void TMyCustomTag::CloseFile() { m_open.reset(); }

qint64 TMyCustomTag::ReadHead(qint64 n)
{
    if (!HasOpenFile())
        return 0;
    OpenFile &f = *m_open;
    f.buffer = QByteArray();
    if (n <= 0)
        return 0;
    const qint64 left = FileSize - f.position;
    n = std::min(n, left);
    if (n <= 0)
        return 0;
    f.buffer = QByteArray(qsizetype(n + 2), '\0');
    const qint64 got = f.source->ReadAt(f.position, f.buffer.data(), n);
    if (got <= 0) {
        f.buffer = QByteArray();
        return 0;
    }
    f.buffer.resize(qsizetype(got));
    f.position += got;
    return got;
}

qint64 TMyCustomTag::ReadAt(qint64 offset, qint64 n)
{
    if (!HasOpenFile())
        return 0;
    OpenFile &f = *m_open;
    f.buffer = QByteArray();
    if (FileSize <= 0 || offset < 0 || offset > FileSize || n <= 0)
        return 0;
    n = std::min(n, FileSize - offset);
    if (n <= 0)
        return 0;
    f.buffer = QByteArray(qsizetype(n + 2), '\0');
    const qint64 got = f.source->ReadAt(offset, f.buffer.data(), n);
    if (got <= 0) {
        f.buffer = QByteArray();
        return 0;
    }
    f.buffer.resize(qsizetype(got));
    f.position = offset + got;
    return got;
}

qint64 TMyCustomTag::ReadTail(qint64 n)
{
    if (n < 0)
        n = 0;
    if (FileSize >= n)
        return ReadAt(FileSize - n, n);
    if (m_open)
        m_open->position = 0;
    return ReadHead(FileSize);
}

void TMyCustomTag::ClearTagFields()
{
    TagVersion.clear();
    m_texts.reset();
    VideoWidth = 0;
    VideoHeight = 0;
    VideoFrameRate = 0;
    MediaDuration = -1.0;
}

void TMyCustomTag::CopyTextFields(const TMyCustomTag &t)
{
    if (this == &t)
        return;
    if (t.m_texts)
        EditTexts() = *t.m_texts;
    else
        m_texts.reset();
}

void TMyCustomTag::Assign(const TMyCustomTag &t)
{
    CopyFileFacts(*this, t);
    CopyTextFields(t);
    TagVersion = t.TagVersion;
    m_fileFound = t.m_fileFound;
    m_folderFound = t.m_folderFound;
}

void TMyCustomTag::AssignValue(const TMyTagValue &value)
{
    AssignValue(TMyTagValue(value));
}

void TMyCustomTag::AssignValue(TMyTagValue &&value)
{
    CopyFileFacts(*this, value);
    SetTexts(std::move(static_cast<TMyTagTexts &>(value)));
    TagVersion.clear();
    // Looked up when first asked (most tags made from values never are).
    m_fileFound = Found::Unknown;
    m_folderFound = Found::Unknown;
}

bool TMyCustomTag::FileFound() const
{
    if (m_fileFound == Found::Unknown)
        m_fileFound = FileExists(FileName) ? Found::Yes : Found::No;
    return m_fileFound == Found::Yes;
}

bool TMyCustomTag::FolderFound() const
{
    // A file that is there has its folder; only for a missing one is the folder looked up.
    if (m_folderFound == Found::Unknown)
        m_folderFound = FileFound() || DirectoryExists(FilePath()) ? Found::Yes : Found::No;
    return m_folderFound == Found::Yes;
}

TMyTagValue TMyCustomTag::GetValue() const
{
    TMyTagValue v;
    v.FileName = FileName;
    v.FileSize = FileSize;
    v.FileWriteTime = FileWriteTime;
    v.FileCreateTime = FileCreateTime;
    v.MediaLength = MediaLength;
    v.MediaDuration = MediaDuration;
    v.VideoWidth = VideoWidth;
    v.VideoHeight = VideoHeight;
    v.VideoFrameRate = VideoFrameRate;
    static_cast<TMyTagTexts &>(v) = Texts();
    v.Title = TitleOrName();
    return v;
}

QString TMyCustomTag::TitleOrName() const
{
    const QString &title = Texts().Title;
    return title.isEmpty() ? BaseName() : title;
}

QString TMyCustomTag::SizeText() const
{
    return FormatSizeText(FileSize);
}

QDateTime TMyCustomTag::WriteDateTime() const
{
    return FromFileTime(FileWriteTime);
}

QDateTime TMyCustomTag::CreateDateTime() const
{
    return FromFileTime(FileCreateTime);
}

QString TMyCustomTag::WriteTimeText() const
{
    return FileTimeText(FileWriteTime);
}

// TMyTag

void TMyTag::ReadFromFile(const QString &fileName)
{
    TMyCustomTag::ReadFromFile(fileName);
    ReadOpened();
}

void TMyTag::ReadFromBytes(const QString &fileName, const QByteArray &bytes)
{
    OpenBytes(fileName, bytes);
    ReadOpened();
}

void TMyTag::ReadOpened()
{
    const QString ext = Extension().toLower();
    std::unique_ptr<TMyCustomTag> reader;
    if (ext == QLatin1String(".mp3")) {
        auto id3 = std::make_unique<TMyTagID3>();
        id3->ReadOpenedBy(*this);
        reader = std::move(id3);
    } else if (ext == QLatin1String(".wma") || ext == QLatin1String(".wmv")) {
        auto wma = std::make_unique<TMyTagWMA>();
        wma->ReadOpenedBy(*this);
        reader = std::move(wma);
    } else {
        ClearTagFields();
        reader = std::make_unique<TMyCustomTag>();
        reader->SetFileName(FileName);
    }
    // Whatever the reader did, the file is closed now.
    CloseFile();

    const QString userText = Texts().UserText;
    const QString userUrl = Texts().UserUrl;
    TagVersion = reader->TagVersion;
    CopyTextFields(*reader);
    TMyTagTexts &texts = EditTexts();  // a tag read from a file always has a title
    texts.Title = reader->TitleOrName();
    texts.UserText = userText;  // these two are not taken from the readers
    texts.UserUrl = userUrl;
}

// TMyTag2

void TMyTag2::ReadFromFile(const QString &fileName)
{
    TMyTag::ReadFromFile(fileName);
    ReadMediaInfo();
}

void TMyTag2::ReadMediaInfo()
{
    const TMediaInfo info = GetMediaInfo(FileName);
    MediaDuration = info.Duration;
    MediaLength = DurationSecondsUp(info.Duration);
    VideoWidth = info.Width;
    VideoHeight = info.Height;
    VideoFrameRate = info.FrameRate;
}
