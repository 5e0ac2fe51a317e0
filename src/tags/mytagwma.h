#pragma once
// Reader of the Windows Media (ASF) header: the Content Description Object and the Extended
// Content Description Object. Every length is checked against the header bytes read.

#include "tags/mytag.h"

class TMyTagWMA : public TMyCustomTag {
public:
    TMyTagWMA() = default;
    explicit TMyTagWMA(const QString &fileName) { TMyTagWMA::ReadFromFile(fileName); }

    void ReadFromFile(const QString &fileName) override;
    void ReadFromBytes(const QString &fileName, const QByteArray &bytes);
    void ReadOpenedBy(TMyCustomTag &owner);

    // The header is not read when it announces more than this (its own 30 bytes included).
    static constexpr qint64 kMaxHeaderSize = 64LL * 1024 * 1024;

private:
    void ReadOpened();
    void ReadContentDescription(const unsigned char *data, qint64 size);
    void ReadExtendedContentDescription(const unsigned char *data, qint64 size);
};
