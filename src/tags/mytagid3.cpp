#include "tags/mytagid3.h"

#include "platform/codepage.h"

#include <cstring>

namespace {

using uchar8 = unsigned char;

quint32 SyncSafe(const uchar8 *p, int n)
{
    quint32 v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 7) | (p[i] & 0x7F);
    return v;
}

quint32 BigEndian(const uchar8 *p, int n)
{
    quint32 v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    return v;
}

// Removes unsynchronisation in place (every 00 right after an FF is dropped); the new length.
qint64 RemoveUnsync(uchar8 *data, qint64 n)
{
    qint64 out = 0;
    for (qint64 i = 0; i < n; ++i) {
        data[out++] = data[i];
        if (data[i] == 0xFF && i + 1 < n && data[i + 1] == 0)
            ++i;
    }
    return out;
}

QByteArrayView UpToZeroByte(QByteArrayView b)
{
    const qsizetype z = b.indexOf('\0');
    return z < 0 ? b : b.first(z);
}

// Text without an encoding of its own: windows-932 as long as the bytes make sense in it (what
// Japanese software writes), else windows-1252 (what most other software writes), so that "Café"
// keeps its letters instead of turning into a broken double-byte character.
QString AnsiText(QByteArrayView b)
{
    const QByteArrayView text = UpToZeroByte(b);
    return platform::IsAssignedAnsi(text) ? platform::AnsiToWide(text) : platform::WesternToWide(text);
}

QString Utf8Text(QByteArrayView b)
{
    return QString::fromUtf8(UpToZeroByte(b));
}

// UTF-16 up to the first zero character; an odd last byte is dropped.
QString Utf16Text(QByteArrayView b, bool bigEndian)
{
    const qsizetype units = b.size() / 2;
    QString text;
    text.reserve(units);
    const auto *p = reinterpret_cast<const uchar8 *>(b.data());
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t u = bigEndian ? char16_t((p[2 * i] << 8) | p[2 * i + 1])
                                     : char16_t(p[2 * i] | (p[2 * i + 1] << 8));
        if (u == 0)
            break;
        text.append(QChar(u));
    }
    return text;
}

// The text of bytes in one of the four ID3 encodings; any other encoding gives an empty text.
QString DecodeText(int encoding, QByteArrayView b)
{
    switch (encoding) {
    case 0:
        return AnsiText(b);
    case 1:
    case 2: {
        const auto *p = reinterpret_cast<const uchar8 *>(b.data());
        if (b.size() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
            return Utf8Text(b.sliced(3));
        if (b.size() >= 2 && p[0] == 0xFF && p[1] == 0xFE)
            return Utf16Text(b.sliced(2), false);
        if (b.size() >= 2 && p[0] == 0xFE && p[1] == 0xFF)
            return Utf16Text(b.sliced(2), true);
        return Utf16Text(b, encoding == 2);
    }
    case 3:
        return Utf8Text(b);
    default:
        return {};
    }
}

// Index just past the terminator of a description, or -1 when there is none: two zero bytes at
// an even distance from the start for the UTF-16 encodings, else one zero byte.
qsizetype TerminatorEnd(int encoding, QByteArrayView b)
{
    if (encoding == 1 || encoding == 2) {
        for (qsizetype i = 0; i + 1 < b.size(); i += 2)
            if (b[i] == 0 && b[i + 1] == 0)
                return i + 2;
        return -1;
    }
    const qsizetype z = b.indexOf('\0');
    return z < 0 ? -1 : z + 1;
}

// The value after a description and its terminator; empty without a terminator.
QString ValueAfterDescription(int encoding, QByteArrayView rest)
{
    const qsizetype end = TerminatorEnd(encoding, rest);
    return end < 0 ? QString() : DecodeText(encoding, rest.sliced(end));
}

void Join(QString &field, const QString &value)
{
    if (value.isEmpty())
        return;
    if (field.isEmpty())
        field = value;
    else
        field += QStringLiteral("\r\r") + value;
}

enum class FrameKind { Text, Comment, UserText, UserUrl };

struct FrameRule {
    const char *id;     // versions 3 and 4
    const char *id22;   // version 2 (empty: none)
    QString TMyTagTexts::*field;
    FrameKind kind;
};

const FrameRule kFrames[] = {
    {"COMM", "COM", &TMyTagTexts::Comment, FrameKind::Comment},
    {"USLT", "ULT", &TMyTagTexts::Lyrics, FrameKind::Comment},
    {"WXXX", "", &TMyTagTexts::UserUrl, FrameKind::UserUrl},
    {"TXXX", "TXX", &TMyTagTexts::UserText, FrameKind::UserText},
    {"TALB", "TAL", &TMyTagTexts::Album, FrameKind::Text},
    {"TPE2", "TP2", &TMyTagTexts::AlbumArtist, FrameKind::Text},
    {"TPE1", "TP1", &TMyTagTexts::Artist, FrameKind::Text},
    {"TCOM", "TCM", &TMyTagTexts::Composer, FrameKind::Text},
    {"TPE3", "TP3", &TMyTagTexts::Conductor, FrameKind::Text},
    {"TCON", "TCO", &TMyTagTexts::Genre, FrameKind::Text},
    {"TOAL", "TOT", &TMyTagTexts::OriginalAlbum, FrameKind::Text},
    {"TOPE", "TOA", &TMyTagTexts::OriginalArtist, FrameKind::Text},
    {"TOLY", "TOL", &TMyTagTexts::OriginalLyricist, FrameKind::Text},
    {"TPUB", "TPB", &TMyTagTexts::Publisher, FrameKind::Text},
    {"TDAT", "TDA", &TMyTagTexts::OriginalReleaseTime, FrameKind::Text},
    {"TORY", "TOR", &TMyTagTexts::OriginalReleaseYear, FrameKind::Text},
    {"TIT1", "TT1", &TMyTagTexts::ContentGroup, FrameKind::Text},
    {"TPOS", "TPA", &TMyTagTexts::PartOfSet, FrameKind::Text},
    {"TIT3", "TT3", &TMyTagTexts::Subtitle, FrameKind::Text},
    {"TIT2", "TT2", &TMyTagTexts::Title, FrameKind::Text},
    {"TRCK", "TRK", &TMyTagTexts::Track, FrameKind::Text},
    {"TPE4", "TP4", &TMyTagTexts::ModifiedBy, FrameKind::Text},
    {"TEXT", "TXT", &TMyTagTexts::Writer, FrameKind::Text},
    {"TYER", "TYE", &TMyTagTexts::Year, FrameKind::Text},
};

const FrameRule *FindRule(const uchar8 *id, int idLength)
{
    for (const FrameRule &rule : kFrames) {
        const char *want = idLength == 3 ? rule.id22 : rule.id;
        if (std::strlen(want) == size_t(idLength) && std::memcmp(want, id, size_t(idLength)) == 0)
            return &rule;
    }
    return nullptr;
}

void HandleFrame(TMyCustomTag &tag, const FrameRule &rule, QByteArrayView data)
{
    if (data.isEmpty())
        return;
    const int encoding = uchar8(data[0]);
    const QByteArrayView rest = data.sliced(1);
    QString &field = tag.EditTexts().*rule.field;
    switch (rule.kind) {
    case FrameKind::Text:
        field = DecodeText(encoding, rest);
        break;
    case FrameKind::Comment:
        // language (3 bytes), description, terminator, value
        Join(field, rest.size() >= 3 ? ValueAfterDescription(encoding, rest.sliced(3)) : QString());
        break;
    case FrameKind::UserText:
        Join(field, ValueAfterDescription(encoding, rest));
        break;
    case FrameKind::UserUrl: {
        // The URL itself is always ANSI, but an unknown encoding byte still makes the frame empty.
        const qsizetype end = encoding <= 3 ? TerminatorEnd(encoding, rest) : -1;
        if (end < 0)
            break;
        QByteArrayView url = rest.sliced(end);
        while (!url.isEmpty()) {
            const uchar8 c = uchar8(url[0]);
            if (c >= 32 && c != 127 && c < 253)
                break;
            url = url.sliced(1);
        }
        Join(field, AnsiText(url));
        break;
    }
    }
}

bool IsFrameIdStart(uchar8 c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

bool IsFrameId(const uchar8 *p, int idLength)
{
    for (int i = 0; i < idLength; ++i)
        if (!IsFrameIdStart(p[i]))
            return false;
    return true;
}

// True when a frame ending at end leaves the parse at a sound place: the tag's end, padding, or
// the id of the next frame.
bool EndsSoundly(const uchar8 *b, qint64 size, qint64 end)
{
    if (end == size)
        return true;
    if (end > size)
        return false;
    if (b[end] == 0)
        return true;
    return size - end >= 4 && IsFrameId(b + end, 4);
}

// The year of a recording time ("2004", "2004-05-06T10:00"): its first four digits, or nothing.
QString YearOfRecordingTime(const QString &time)
{
    qsizetype n = 0;
    while (n < time.size() && n < 4 && time[n] >= u'0' && time[n] <= u'9')
        ++n;
    return n == 4 ? time.left(4) : QString();
}

} // namespace

void TMyTagID3::ClearTagFields()
{
    TMyCustomTag::ClearTagFields();
    m_family = 0;
    m_major = 0;
    m_revision = 0;
    m_headerFlags = 0;
    m_crc = 0;
}

void TMyTagID3::ReadFromFile(const QString &fileName)
{
    ClearTagFields();
    TMyCustomTag::ReadFromFile(fileName);
    ReadOpened();
}

void TMyTagID3::ReadFromBytes(const QString &fileName, const QByteArray &bytes)
{
    ClearTagFields();
    OpenBytes(fileName, bytes);
    ReadOpened();
}

void TMyTagID3::ReadOpenedBy(TMyCustomTag &owner)
{
    ClearTagFields();
    TakeOpenFile(owner);
    ReadOpened();
}

void TMyTagID3::ReadOpened()
{
    if (FileFound()) {
        uchar8 header[10] = {};
        if (ReadHead(10) == 10) {
            std::memcpy(header, ReadBuffer().constData(), 10);
            if (std::memcmp(header, "ID3", 3) == 0)
                ReadV2(header);
            else
                ReadV1();
        } else {
            ReadV1();
        }
    }
    CloseFile();
}

void TMyTagID3::ReadV2(const uchar8 *header)
{
    m_family = 2;
    m_major = header[3];
    m_revision = header[4];
    m_headerFlags = header[5];
    const quint32 tagSize = SyncSafe(header + 6, 4);
    TagVersion = QString::asprintf("2.%d.%d", m_major, m_revision);
    if (m_major < 2 || m_major > 4)
        return;  // a later major version changes the layout; its frames cannot be read
    if (m_major == 2 && (m_headerFlags & 0x40))
        return;  // a compressed v2.2 tag: no compression scheme was ever defined
    // The read is limited to what the file holds, so a huge declared size allocates nothing big.
    if (ReadAt(10, tagSize) < qint64(tagSize))
        return;
    QByteArray body = TakeReadBuffer();
    ParseV2Body(body);
}

void TMyTagID3::ParseV2Body(QByteArray &body)
{
    auto *b = reinterpret_cast<uchar8 *>(body.data());
    qint64 size = body.size();
    const bool tagUnsync = (m_headerFlags & 0x80) != 0;
    const bool extended = m_major >= 3 && (m_headerFlags & 0x40) != 0;

    // Up to v2.3 the whole body is unsynchronised; in v2.4 each frame is, and frame sizes count
    // the stored bytes.
    if (tagUnsync && m_major <= 3)
        size = RemoveUnsync(b, size);

    qint64 pos = 0;
    // Some writers set the extended-header flag without writing one: a frame id stands where its
    // size would be, and the frames start right after the main header.
    if (extended && !(size >= 4 && IsFrameId(b, 4))) {
        if (size < 4)
            return;
        const quint32 e = BigEndian(b, 4);
        if (m_major == 3) {
            // size of what follows the size field: flags (2), padding size (4), CRC (4)
            if (e < 6 || qint64(e) > size - 4)
                return;
            const quint32 padding = BigEndian(b + 6, 4);
            if ((b[4] & 0x80) && e >= 10)
                m_crc = BigEndian(b + 10, 4);
            pos = qint64(e) + 4;
            if (qint64(padding) > size - pos)
                return;
            size -= padding;
        } else {
            if (e < 6 || qint64(e) > size)
                return;
            pos = e;
        }
    }

    const int headerLength = m_major == 2 ? 6 : 10;
    const int idLength = m_major == 2 ? 3 : 4;
    // Some v2.4 writers store frame sizes as plain big-endian numbers. When a sync-safe size leads
    // nowhere sound and the plain one does, the plain sizes are used for the rest of the tag.
    bool plainSizes = false;
    bool hasYear = false;
    QString recordingTime;
    while (pos < size) {
        const qint64 left = size - pos;
        if (left < headerLength)
            break;
        uchar8 *frame = b + pos;
        if (!IsFrameIdStart(frame[0]))
            break;  // padding
        qint64 stored;
        uchar8 frameFlags = 0;
        if (m_major == 2)
            stored = BigEndian(frame + 3, 3);
        else if (m_major == 3)
            stored = BigEndian(frame + 4, 4);
        else if (plainSizes)
            stored = BigEndian(frame + 4, 4);
        else {
            stored = SyncSafe(frame + 4, 4);
            const qint64 plain = BigEndian(frame + 4, 4);
            if (plain != stored && !EndsSoundly(b, size, pos + headerLength + stored) &&
                EndsSoundly(b, size, pos + headerLength + plain)) {
                stored = plain;
                plainSizes = true;
            }
        }
        if (m_major >= 3)
            frameFlags = frame[9];
        if (stored > left - headerLength)
            break;  // a frame larger than what is left: the tag is damaged
        const qint64 next = pos + headerLength + stored;

        uchar8 *data = frame + headerLength;
        qint64 length = stored;
        qint64 extra = 0;
        bool skip = false;
        if (m_major == 3) {
            const bool compressed = frameFlags & 0x80;
            const bool encrypted = frameFlags & 0x40;
            const bool grouped = frameFlags & 0x20;
            extra = (compressed ? 4 : 0) + (encrypted ? 1 : 0) + (grouped ? 1 : 0);
            skip = compressed || encrypted;
        } else if (m_major == 4) {
            const bool grouped = frameFlags & 0x40;
            const bool compressed = frameFlags & 0x08;
            const bool encrypted = frameFlags & 0x04;
            const bool unsync = (frameFlags & 0x02) || tagUnsync;
            const bool lengthIndicator = frameFlags & 0x01;
            if (unsync && !encrypted && !compressed)
                length = RemoveUnsync(data, length);
            extra = (grouped ? 1 : 0) + (encrypted ? 1 : 0) + (lengthIndicator ? 4 : 0);
            skip = compressed || encrypted;
        }
        if (stored > 0 && !skip && length >= extra) {
            const QByteArrayView frameData(reinterpret_cast<const char *>(data + extra), qsizetype(length - extra));
            if (const FrameRule *rule = FindRule(frame, idLength)) {
                HandleFrame(*this, *rule, frameData);
                hasYear = hasYear || rule->field == &TMyTagTexts::Year;
            } else if (idLength == 4 && std::memcmp(frame, "TDRC", 4) == 0 && !frameData.isEmpty()) {
                recordingTime = DecodeText(uchar8(frameData[0]), frameData.sliced(1));
            }
        }
        pos = next;
    }
    // v2.4 has no year frame: its recording time stands in when the tag has no TYER.
    if (!hasYear && !recordingTime.isEmpty())
        EditTexts().Year = YearOfRecordingTime(recordingTime);
}

void TMyTagID3::ReadV1()
{
    if (ReadTail(128) != 128)
        return;
    const QByteArray &block = ReadBuffer();
    const auto *b = reinterpret_cast<const uchar8 *>(block.constData());
    if (std::memcmp(b, "TAG", 3) != 0)
        return;
    const auto field = [&](int from, int length) {
        return AnsiText(QByteArrayView(block.constData() + from, length));
    };
    m_family = 1;
    m_major = 0;
    TMyTagTexts &texts = EditTexts();
    texts.Title = field(3, 30);
    texts.Artist = field(33, 30);
    texts.Album = field(63, 30);
    texts.Year = field(93, 4);
    texts.Comment = field(97, 30);
    texts.Genre = QString::number(b[127]);
    if (b[125] == 0 && b[126] != 0) {
        texts.Track = QString::number(b[126]);
        m_major = 1;
    }
    TagVersion = QString::asprintf("1.%d", m_major);
}
