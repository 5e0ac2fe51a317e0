#pragma once
// Number-aware comparison of texts and of file paths.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// Splits at the first run of ASCII digits: prefix, digits, rest.
void SplitAtNumber(QStringView text, QStringView &prefix, QStringView &digits, QStringView &rest);
// Splits at the last "/", "\" (folder without the separator) or ":" (folder with it).
void SplitPath(QStringView path, QStringView &folder, QStringView &name);

// -1, 0 or 1. Case is ignored; digit runs compare by value. Texts that differ in more than
// case always compare unequal, and swapping the arguments reverses the sign.
int CompareNatural(QStringView a, QStringView b);
// Folders first (natural order), then names; only equal texts give 0 (paths that differ in
// case alone are different files and are ordered by their code units).
int CompareFileNames(QStringView a, QStringView b);

// Comparison keys computed once per entry for the length of a sort; comparing two keys gives
// the same result as comparing their texts.
class NaturalKey {
public:
    explicit NaturalKey(QStringView text);
    ~NaturalKey();
    NaturalKey(NaturalKey &&) noexcept;
    NaturalKey &operator=(NaturalKey &&) noexcept;
    const QString &Text() const { return m_ownText; }

private:
    friend struct NaturalKeySide;
    struct RestTag {};
    // The key of a rest: views into the storage of the key it came from.
    NaturalKey(QStringView text, QStringView upper, RestTag);
    void EnsureSplit() const;
    const NaturalKey &Rest() const;
    const QByteArray &FullKey() const;
    const QByteArray &PrefixKey() const;
    QString m_ownText;   // storage of a key made from a text
    QString m_ownUpper;  // shares m_ownText when the text is upper case already
    QStringView m_text;
    QStringView m_upper;
    bool m_stableUpper = false;
    // Filled on first use.
    mutable bool m_hasSplit = false;
    mutable bool m_hasFullKey = false;
    mutable bool m_hasPrefixKey = false;
    mutable bool m_hasDigits = false;
    mutable bool m_numberOk = false;
    mutable qsizetype m_prefixLength = 0;
    mutable qsizetype m_restStart = 0;
    mutable qint64 m_number = 0;
    mutable QByteArray m_fullKey;
    mutable QByteArray m_prefixKey;
    mutable std::unique_ptr<NaturalKey> m_rest;
};

int CompareNaturalKeys(const NaturalKey &a, const NaturalKey &b);

// Keys of file paths; entries of one folder share the folder's key.
class FileNameKeys {
public:
    void Reserve(qsizetype n) { m_entries.reserve(size_t(n)); }
    void Add(const QString &path);
    int Compare(qsizetype a, qsizetype b) const;

private:
    struct Entry {
        QString path;
        std::shared_ptr<NaturalKey> folder;
        NaturalKey name;
    };
    std::vector<Entry> m_entries;
    QHash<QString, std::shared_ptr<NaturalKey>> m_folders;
};
