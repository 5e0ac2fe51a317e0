#pragma once
// Shared pieces of the fuzz targets: turning raw bytes into UTF-16 texts, and a check that
// stops the run at a broken invariant.

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// The bytes as little-endian UTF-16 units (a last odd byte is dropped).
inline QString Utf16Of(const uint8_t *data, size_t size)
{
    const size_t units = size / 2;
    QString text(qsizetype(units), Qt::Uninitialized);
    for (size_t i = 0; i < units; ++i)
        text[qsizetype(i)] = QChar(char16_t(data[2 * i] | (data[2 * i + 1] << 8)));
    return text;
}

// Two texts from one input: the first byte says where the second starts (in UTF-16 units), the
// rest is UTF-16. The views point into *storage.
inline void TwoTextsOf(const uint8_t *data, size_t size, QString *storage, QStringView &a, QStringView &b)
{
    *storage = size ? Utf16Of(data + 1, size - 1) : QString();
    const qsizetype units = storage->size();
    const qsizetype cut = units ? qsizetype(data[0] % (units + 1)) : 0;
    a = QStringView(*storage).first(cut);
    b = QStringView(*storage).sliced(cut);
}
