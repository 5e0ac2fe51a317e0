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
    const QString &Text() const { return m_text; }

private:
    friend struct NaturalKeySide;
    struct Split;
    QString m_text;
    QString m_upper;
    mutable QByteArray m_fullKey;
    mutable bool m_hasFullKey = false;
    mutable std::unique_ptr<Split> m_split;
    const Split &GetSplit() const;
    const QByteArray &FullKey() const;
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
        std::unique_ptr<NaturalKey> name;
    };
    std::vector<Entry> m_entries;
    QHash<QString, std::shared_ptr<NaturalKey>> m_folders;
};
