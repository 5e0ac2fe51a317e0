#pragma once
// Reading and writing whole text files with encoding detection.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>

enum class TextEncoding : uint8_t {
    Auto = 0,
    Ansi = 1,
    Utf16LeBom = 2,
    Utf16Le = 3,
    Utf16BeBom = 4,
    Utf16Be = 5,
    Utf8Bom = 6,
    Utf8 = 7,
    Utf7 = 8,
    Jis = 9,
    EucJp = 10,
    HexDump = 11,
};

// Any stored number above 11 reads as Auto.
TextEncoding TextEncodingFromInt(int value);

// Reads the file whole (or its first byteCount bytes when byteCount >= 0). With Auto the
// encoding is detected and passed back; otherwise the given one is used as it is. A missing
// file, an empty one or one that cannot be read gives an empty text and leaves the encoding.
QString ReadTextFile(const QString &fileName, TextEncoding &encoding, qint64 byteCount = -1);

// Writes the text in the encoding, through a temporary file and a rename. False when the
// file could not be written.
bool WriteTextFile(const QString &fileName, QStringView text, TextEncoding encoding);

// The encoding of the bytes (at most the first 1024 are looked at).
TextEncoding DetectEncoding(QByteArrayView bytes);

// True when ASCII, hiragana and katakana make up more than one percent of the text.
bool LooksLikeText(QStringView text);

// The bytes as the program's hexadecimal dump: 68-character lines ending in CR.
QString HexDumpText(QByteArrayView bytes);

// Decodes bytes (without a byte-order mark) in the given encoding, as reading a file does.
QString DecodeText(QByteArrayView bytes, TextEncoding encoding);
// Encodes text as writing a file does (byte-order mark included, Auto resolved).
QByteArray EncodeText(QStringView text, TextEncoding encoding);
