#pragma once
// Reader of ID3 tags: ID3v2.2, v2.3 and v2.4 at the start of the file, else ID3v1/v1.1 in its
// last 128 bytes. Every size is checked against the bytes actually read, so a damaged or hostile
// file ends the parse with the fields found so far.

#include "tags/mytag.h"

class TMyTagID3 : public TMyCustomTag {
public:
    TMyTagID3() = default;
    explicit TMyTagID3(const QString &fileName) { TMyTagID3::ReadFromFile(fileName); }

    void ReadFromFile(const QString &fileName) override;
    void ClearTagFields() override;
    // Reads bytes that stand in for the named file.
    void ReadFromBytes(const QString &fileName, const QByteArray &bytes);
    // Reads the file the owner has open (the owner's handle moves here and is closed).
    void ReadOpenedBy(TMyCustomTag &owner);

    int TagFamily() const { return m_family; }       // 2, 1, or 0 when none was found
    int MajorVersion() const { return m_major; }     // v2: 2..4; v1: 1 for v1.1, else 0
    int Revision() const { return m_revision; }

private:
    void ReadOpened();
    void ReadV2(const unsigned char *header);
    void ParseV2Body(QByteArray &body);
    void ReadV1();

    int m_family = 0;
    int m_major = 0;
    int m_revision = 0;
    int m_headerFlags = 0;
    quint32 m_crc = 0;  // of a v2.3 extended header; kept, not checked
};
