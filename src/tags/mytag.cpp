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

// The file facts, media information and text fields that a tag and its record form share.
template <class From>
void CopyFileFactsAndTexts(TMyCustomTag &to, const From &from)
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
    static_cast<TMyTagTexts &>(to) = from;
}

} // namespace

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
    CopyFileFactsAndTexts(*this, v);
    FileFound = FileExists(FileName);
    FolderFound = DirectoryExists(FilePath);
}

TMyCustomTag &TMyCustomTag::operator=(const TMyCustomTag &tag)
{
    if (this != &tag)
        Assign(tag);
    return *this;
}

TMyCustomTag::~TMyCustomTag() = default;

void TMyCustomTag::SetFileName(const QString &fileName)
{
    FileName = fileName;
    TFileNameParts p = SplitFileNameFull(fileName);
    FilePath = std::move(p.Folder);
    Folder = ExtractFileDir(fileName);
    Name = std::move(p.Name);
    BaseName = std::move(p.BaseName);
    Extension = std::move(p.Extension);
}

void TMyCustomTag::ReadFromFile(const QString &fileName)
{
    CloseFile();
    SetFileName(fileName);
    FileSize = 0;
    FileWriteTime = 0;
    FileCreateTime = 0;
    FileFound = false;
    FolderFound = false;
    if (fileName.isEmpty())
        return;

    auto source = std::make_unique<FileSource>();
    if (source->file.Open(fileName)) {
        FileSize = source->file.Size();
        FileWriteTime = source->file.WriteTime();
        FileCreateTime = source->file.CreateTime();
        FileFound = true;
        m_source = std::move(source);
    } else {
        // Not readable as a regular file: still tell what is there (a FIFO exists, a folder is
        // no file), without opening it.
        const platform::FileStatus facts = platform::GetFileStatus(fileName);
        FileFound = facts.exists && !facts.isDir;
        FileWriteTime = facts.writeTime;
        FileCreateTime = facts.creationTime;
    }
    FolderFound = !FilePath.isEmpty() && platform::GetFileStatus(FilePath).isDir;
}

void TMyCustomTag::OpenBytes(const QString &fileName, const QByteArray &bytes)
{
    CloseFile();
    SetFileName(fileName);
    FileSize = bytes.size();
    FileWriteTime = 0;
    FileCreateTime = 0;
    FileFound = true;
    FolderFound = true;
    m_source = std::make_unique<BytesSource>(bytes);
}

void TMyCustomTag::TakeOpenFile(TMyCustomTag &owner)
{
    CloseFile();
    SetFileName(owner.FileName);
    FileSize = owner.FileSize;
    FileWriteTime = owner.FileWriteTime;
    FileCreateTime = owner.FileCreateTime;
    FileFound = owner.FileFound;
    FolderFound = owner.FolderFound;
    m_source = std::move(owner.m_source);
    m_position = owner.m_position;
    owner.CloseFile();
}

void TMyCustomTag::CloseFile()
{
    m_source.reset();
    m_position = 0;
    m_buffer = QByteArray();
}

qint64 TMyCustomTag::ReadHead(qint64 n)
{
    m_buffer = QByteArray();
    if (!m_source || n <= 0)
        return 0;
    const qint64 left = FileSize - m_position;
    n = std::min(n, left);
    if (n <= 0)
        return 0;
    m_buffer = QByteArray(qsizetype(n + 2), '\0');
    const qint64 got = m_source->ReadAt(m_position, m_buffer.data(), n);
    if (got <= 0) {
        m_buffer = QByteArray();
        return 0;
    }
    m_buffer.resize(qsizetype(got));
    m_position += got;
    return got;
}

qint64 TMyCustomTag::ReadAt(qint64 offset, qint64 n)
{
    m_buffer = QByteArray();
    if (!m_source || FileSize <= 0 || offset < 0 || offset > FileSize || n <= 0)
        return 0;
    n = std::min(n, FileSize - offset);
    if (n <= 0)
        return 0;
    m_buffer = QByteArray(qsizetype(n + 2), '\0');
    const qint64 got = m_source->ReadAt(offset, m_buffer.data(), n);
    if (got <= 0) {
        m_buffer = QByteArray();
        return 0;
    }
    m_buffer.resize(qsizetype(got));
    m_position = offset + got;
    return got;
}

qint64 TMyCustomTag::ReadTail(qint64 n)
{
    if (n < 0)
        n = 0;
    if (FileSize >= n)
        return ReadAt(FileSize - n, n);
    m_position = 0;
    return ReadHead(FileSize);
}

void TMyCustomTag::ClearTagFields()
{
    TagVersion.clear();
    static_cast<TMyTagTexts &>(*this) = TMyTagTexts();
    VideoWidth = 0;
    VideoHeight = 0;
    VideoFrameRate = 0;
    MediaDuration = -1.0;
}

void TMyCustomTag::CopyTextFields(const TMyCustomTag &t)
{
    static_cast<TMyTagTexts &>(*this) = t;
}

void TMyCustomTag::Assign(const TMyCustomTag &t)
{
    CopyFileFactsAndTexts(*this, t);
    TagVersion = t.TagVersion;
    FileFound = t.FileFound;
    FolderFound = t.FolderFound;
}

void TMyCustomTag::AssignValue(const TMyTagValue &value)
{
    const TMyCustomTag built(value);
    Assign(built);
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
    static_cast<TMyTagTexts &>(v) = *this;
    v.Title = TitleOrName();
    return v;
}

QString TMyCustomTag::TitleOrName() const
{
    return Title.isEmpty() ? BaseName : Title;
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
    const QString ext = Extension.toLower();
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

    const QString userText = UserText;
    const QString userUrl = UserUrl;
    TagVersion = reader->TagVersion;
    CopyTextFields(*reader);
    Title = reader->TitleOrName();
    UserText = userText;  // these two are not taken from the readers
    UserUrl = userUrl;
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
