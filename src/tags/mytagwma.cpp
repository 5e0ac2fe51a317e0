#include "tags/mytagwma.h"

#include <cstring>

namespace {

using uchar8 = unsigned char;

// GUIDs in their stored 16-byte layout.
const uchar8 kHeaderObject[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                  0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const uchar8 kContentDescription[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                        0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const uchar8 kExtendedContentDescription[16] = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};

constexpr qint64 kHeaderObjectSize = 30;
constexpr qint64 kObjectHeaderSize = 24;

quint16 Le16(const uchar8 *p)
{
    return quint16(p[0] | (p[1] << 8));
}

quint32 Le32(const uchar8 *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

quint64 Le64(const uchar8 *p)
{
    return quint64(Le32(p)) | (quint64(Le32(p + 4)) << 32);
}

// A stored UTF-16LE string of n bytes: up to n / 2 characters, ending at the first zero one (the
// stored terminator). A string without a terminator keeps its last character.
QString AsfString(const uchar8 *p, qint64 n)
{
    const qint64 units = n / 2;
    QString text;
    text.reserve(qsizetype(units));
    for (qint64 i = 0; i < units; ++i) {
        const char16_t u = char16_t(Le16(p + 2 * i));
        if (u == 0)
            break;
        text.append(QChar(u));
    }
    return text;
}

struct DescriptorRule {
    const char16_t *name;
    QString TMyTagTexts::*field;
};

const DescriptorRule kDescriptors[] = {
    {u"WM/AlbumTitle", &TMyTagTexts::Album},
    {u"WM/AlbumArtist", &TMyTagTexts::AlbumArtist},
    {u"WM/Composer", &TMyTagTexts::Composer},
    {u"WM/Conductor", &TMyTagTexts::Conductor},
    {u"WM/Director", &TMyTagTexts::Director},
    {u"WM/Genre", &TMyTagTexts::Genre},
    {u"WM/OriginalAlbumTitle", &TMyTagTexts::OriginalAlbum},
    {u"WM/OriginalArtist", &TMyTagTexts::OriginalArtist},
    {u"WM/OriginalLyricist", &TMyTagTexts::OriginalLyricist},
    {u"WM/Producer", &TMyTagTexts::Producer},
    {u"WM/Publisher", &TMyTagTexts::Publisher},
    {u"WM/OriginalReleaseTime", &TMyTagTexts::OriginalReleaseTime},
    {u"WM/OriginalReleaseYear", &TMyTagTexts::OriginalReleaseYear},
    {u"WM/Lyrics", &TMyTagTexts::Lyrics},
    {u"WM/PartOfSet", &TMyTagTexts::PartOfSet},
    {u"WM/ContentGroupDescription", &TMyTagTexts::ContentGroup},
    {u"WM/SubTitle", &TMyTagTexts::Subtitle},
    {u"WM/ModifiedBy", &TMyTagTexts::ModifiedBy},
    {u"WM/Writer", &TMyTagTexts::Writer},
    {u"WM/Year", &TMyTagTexts::Year},
};

} // namespace

void TMyTagWMA::ReadFromFile(const QString &fileName)
{
    ClearTagFields();
    TMyCustomTag::ReadFromFile(fileName);
    ReadOpened();
}

void TMyTagWMA::ReadFromBytes(const QString &fileName, const QByteArray &bytes)
{
    ClearTagFields();
    OpenBytes(fileName, bytes);
    ReadOpened();
}

void TMyTagWMA::ReadOpenedBy(TMyCustomTag &owner)
{
    ClearTagFields();
    TakeOpenFile(owner);
    ReadOpened();
}

void TMyTagWMA::ReadOpened()
{
    if (FileFound() && ReadHead(kHeaderObjectSize) == kHeaderObjectSize) {
        const auto *h = reinterpret_cast<const uchar8 *>(ReadBuffer().constData());
        if (std::memcmp(h, kHeaderObject, 16) == 0) {
            // The announced size counts the header object's own 30 bytes; the object count is
            // not trusted (the walk below goes to the end of the header instead).
            const quint64 headerSize = Le64(h + 16);
            if (headerSize > quint64(kHeaderObjectSize) && headerSize <= quint64(kMaxHeaderSize)) {
                const qint64 bodySize = qint64(headerSize) - kHeaderObjectSize;
                if (ReadHead(bodySize) == bodySize) {
                    const QByteArray body = TakeReadBuffer();
                    const auto *b = reinterpret_cast<const uchar8 *>(body.constData());
                    qint64 pos = 0;
                    while (bodySize - pos >= kObjectHeaderSize) {
                        const quint64 objectSize = Le64(b + pos + 16);
                        if (objectSize < quint64(kObjectHeaderSize) || objectSize > quint64(bodySize - pos))
                            break;
                        const uchar8 *content = b + pos + kObjectHeaderSize;
                        const qint64 contentSize = qint64(objectSize) - kObjectHeaderSize;
                        if (std::memcmp(b + pos, kContentDescription, 16) == 0)
                            ReadContentDescription(content, contentSize);
                        else if (std::memcmp(b + pos, kExtendedContentDescription, 16) == 0)
                            ReadExtendedContentDescription(content, contentSize);
                        pos += qint64(objectSize);
                    }
                }
            }
        }
    }
    CloseFile();
}

void TMyTagWMA::ReadContentDescription(const uchar8 *p, qint64 size)
{
    if (size < 10)
        return;
    qint64 lengths[5];
    for (int i = 0; i < 5; ++i)
        lengths[i] = Le16(p + 2 * i);
    TMyTagTexts &texts = EditTexts();
    QString *fields[5] = {&texts.Title, &texts.Artist, nullptr, &texts.Comment, nullptr};  // copyright and rating unused
    qint64 pos = 10;
    for (int i = 0; i < 5; ++i) {
        if (lengths[i] > size - pos)
            return;
        if (fields[i])
            *fields[i] = AsfString(p + pos, lengths[i]);
        pos += lengths[i];
    }
}

void TMyTagWMA::ReadExtendedContentDescription(const uchar8 *p, qint64 size)
{
    if (size < 2)
        return;
    const int count = Le16(p);
    qint64 pos = 2;
    for (int i = 0; i < count; ++i) {
        if (size - pos < 2)
            return;
        const qint64 nameLength = Le16(p + pos);
        pos += 2;
        if (size - pos < nameLength + 4)
            return;
        const QString name = AsfString(p + pos, nameLength);
        pos += nameLength;
        const int valueType = Le16(p + pos);
        const qint64 valueLength = Le16(p + pos + 2);
        pos += 4;
        if (size - pos < valueLength)
            return;
        const uchar8 *value = p + pos;
        pos += valueLength;

        if (name == u"WM/TrackNumber") {
            if (valueType == 0)
                EditTexts().Track = AsfString(value, valueLength);
            else if (valueType == 3 && valueLength >= 4)
                EditTexts().Track = QString::number(Le32(value));
            continue;
        }
        for (const DescriptorRule &rule : kDescriptors) {
            if (name == rule.name) {
                EditTexts().*rule.field = AsfString(value, valueLength);
                break;
            }
        }
    }
}
