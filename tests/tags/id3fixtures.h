#pragma once
// Byte builders for ID3 tags in tests.

#include <QByteArray>
#include <QString>

#include <initializer_list>

namespace id3 {

inline QByteArray BigEndian(quint32 v, int n)
{
    QByteArray b;
    for (int i = n - 1; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

inline QByteArray SyncSafe(quint32 v)
{
    QByteArray b;
    for (int i = 3; i >= 0; --i)
        b.append(char((v >> (7 * i)) & 0x7F));
    return b;
}

inline QByteArray Cat(std::initializer_list<QByteArray> parts)
{
    QByteArray b;
    for (const QByteArray &p : parts)
        b += p;
    return b;
}

// Text frame data: the encoding byte and the bytes.
inline QByteArray Text(int encoding, const QByteArray &bytes)
{
    return QByteArray(1, char(encoding)) + bytes;
}

inline QByteArray Utf16Le(const QString &s)
{
    QByteArray b;
    for (QChar c : s) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    return b;
}

inline QByteArray Utf16Be(const QString &s)
{
    QByteArray b;
    for (QChar c : s) {
        b.append(char(c.unicode() >> 8));
        b.append(char(c.unicode() & 0xFF));
    }
    return b;
}

// Frames of the three versions; flags are the second flag byte (v2.3 and v2.4).
inline QByteArray Frame22(const char *id, const QByteArray &data)
{
    return QByteArray(id, 3) + BigEndian(quint32(data.size()), 3) + data;
}

inline QByteArray Frame23(const char *id, const QByteArray &data, quint8 flags = 0)
{
    return QByteArray(id, 4) + BigEndian(quint32(data.size()), 4) + QByteArray(1, '\0') + QByteArray(1, char(flags)) + data;
}

inline QByteArray Frame24(const char *id, const QByteArray &data, quint8 flags = 0)
{
    return QByteArray(id, 4) + SyncSafe(quint32(data.size())) + QByteArray(1, '\0') + QByteArray(1, char(flags)) + data;
}

// The 10-byte header and the body; declaredSize < 0 declares the body's size.
inline QByteArray Tag(int major, const QByteArray &body, quint8 flags = 0, qint64 declaredSize = -1)
{
    const quint32 size = quint32(declaredSize < 0 ? body.size() : declaredSize);
    return QByteArray("ID3") + char(major) + char(0) + char(flags) + SyncSafe(size) + body;
}

// A 128-byte ID3v1 block; track < 0 writes a v1.0 comment over all 30 bytes.
inline QByteArray V1(const QByteArray &title, const QByteArray &artist, const QByteArray &album,
                     const QByteArray &year, const QByteArray &comment, int genre, int track = -1)
{
    const auto field = [](const QByteArray &s, int n) { return s.left(n).leftJustified(n, '\0', true); };
    QByteArray b = "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4);
    if (track >= 0)
        b += field(comment, 28) + char(0) + char(track);
    else
        b += field(comment, 30);
    b += char(genre);
    return b;
}

// Unsynchronisation: a 00 after every FF that is followed by 00, by 111xxxxx or by nothing.
inline QByteArray Unsync(const QByteArray &b)
{
    QByteArray out;
    for (qsizetype i = 0; i < b.size(); ++i) {
        out.append(b[i]);
        if (uchar(b[i]) == 0xFF && (i + 1 == b.size() || b[i + 1] == 0 || (uchar(b[i + 1]) & 0xE0) == 0xE0))
            out.append('\0');
    }
    return out;
}

// Some audio-like bytes to stand between the tags.
inline QByteArray Audio(int n = 600)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char(i % 2 ? 0xFB : 0x90);
    return b;
}

} // namespace id3
