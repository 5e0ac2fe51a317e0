#pragma once
// TMyWStrings: the list of wide strings with attached objects that every list of the program uses.

#include "lists/naturalcompare.h"
#include "lists/textencoding.h"
#include "lists/tobject.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The escaped narrow form: windows-932 bytes, with "$" and every UTF-16 unit that windows-932
// cannot hold written as "$" and four lower-case hexadecimal digits.
QByteArray EncodeString(QStringView text);
QString DecodeString(QByteArrayView narrow);

enum class LineBreakStyle : uint8_t { CrLf = 0, Cr = 1, Lf = 2 };
enum class TDuplicates : uint8_t { Ignore = 0, Accept = 1, Error = 2 };

class TMyWStrings;
// A comparison of two entries by index: negative, zero or positive.
using TMyWStringsCompare = std::function<int(const TMyWStrings &, int, int)>;

class TMyWStrings {
public:
    TMyWStrings();
    virtual ~TMyWStrings();
    TMyWStrings(const TMyWStrings &) = delete;
    TMyWStrings &operator=(const TMyWStrings &) = delete;

    // Entries.
    int Count() const { return int(m_items.size()); }
    virtual QString Get(int index) const;
    virtual void Put(int index, const QString &text);
    virtual TObject *GetObject(int index) const;
    virtual void PutObject(int index, TObject *object);
    QString operator[](int index) const { return Get(index); }
    QStringList ToStringList() const;

    // Whole text.
    virtual QString GetTextStr() const;
    virtual void SetTextStr(QStringView text);
    virtual QString GetDelimitedText() const;
    virtual void SetDelimitedText(QStringView text);
    QString GetCommaText() const;
    virtual void RemoveDuplicates();
    int GetCapacity() const { return int(m_items.capacity()); }
    void SetCapacity(int capacity);

    // Adding and inserting.
    int Add(const QString &text);
    virtual void AddFromFile(const QString &fileName);
    void AddFromFiles(const TMyWStrings &fileNames);
    virtual int AddObject(const QString &text, TObject *object);
    int AddNameValue(const QString &name, const QString &value);
    void AddAnsiStrings(const QList<QByteArray> &narrow);
    virtual void AddStrings(const TMyWStrings &list);
    void AddStrings(const QStringList &list);
    void AddEmpty(int count);
    virtual void AddText(QStringView text);
    void Append(const QString &text) { Add(text); }
    void AssignAnsiStrings(const QList<QByteArray> &narrow);
    virtual void Assign(const TMyWStrings &list);
    void Insert(int index, const QString &text) { InsertObject(index, text, nullptr); }
    virtual void InsertObject(int index, const QString &text, TObject *object);
    void InsertAnsiStrings(int index, const QList<QByteArray> &narrow);
    void InsertStrings(int index, const TMyWStrings &list);

    // Removing and moving.
    virtual void Clear();
    virtual void Delete(int index);
    void Reset() { Clear(); }
    virtual void Exchange(int a, int b);
    virtual void Move(int from, int to);
    // Block operations: one pass and one OnChange however many entries they touch.
    // Removes the count entries from first (clamped to the list).
    virtual void DeleteRange(int first, int count);
    // Moves the count entries from first so that the block starts at to (clamped to
    // 0..Count - count); the block keeps its order and the entries it passes close up behind it.
    virtual void MoveRange(int first, int count, int to);
    void Reverse();
    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate()
    {
        if (m_updateCount > 0)
            --m_updateCount;
    }
    int UpdateCount() const { return m_updateCount; }

    // Searching.
    bool Find(const QString &text, int &index) const;
    int IndexOf(const QString &text) const;
    int IndexOfPrefix(const QString &text) const { return IndexOfPrefixFrom(text, 0); }
    int IndexOfPrefixFrom(const QString &text, int start) const;
    int IndexOfSubstring(const QString &text) const { return IndexOfSubstringFrom(text, 0); }
    int IndexOfSubstringFrom(const QString &text, int start) const;
    int IndexOfName(const QString &name, int start = 0) const;
    QString GetName(int index) const;
    // The default comparison of two entries (locale order, case per CaseSensitive).
    int CompareStrings(const QString &a, const QString &b) const;
    int CompareEntries(int a, int b) const { return CompareStrings(Get(a), Get(b)); }

    // Sorting. The merge sort is stable and reports its progress in SortStatus.
    void CustomSortRange(int first, int last, const TMyWStringsCompare &compare);
    void SortRange(int first, int last);
    void CustomSortEx(const TMyWStringsCompare &compare, bool removeDuplicates);
    void MergeSort(const TMyWStringsCompare &compare) { CustomSortRange(0, Count() - 1, compare); }
    void CustomSort(const TMyWStringsCompare &compare) { MergeSort(compare); }
    virtual void Sort();
    void SortAll() { Sort(); }
    void QuickSort(const TMyWStringsCompare &compare) { QuickSortEx(compare, false); }
    void QuickSortEx(const TMyWStringsCompare &compare, bool removeDuplicates);
    void InsertionSort(bool removeDuplicates);
    void CustomInsertionSort(const TMyWStringsCompare &compare, bool removeDuplicates);
    // File-name order: folders first, then names, numbers by value.
    void SortFileNames() { SortFileNamesUnique(false); }
    void SortFileNamesUnique(bool flag = false);
    void SortFileNamesRange(int first, int last);
    // Removes entries equal (exactly) to the one before them.
    void RemoveExactDuplicates();
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);
    QString SortStatus() const { return m_sortStatus; }

    // Files.
    void LoadFromFile(const QString &fileName) { LoadFromFileEncoding(fileName, Encoding); }
    virtual void LoadFromFileEncoding(const QString &fileName, TextEncoding &encoding);
    void LoadFromFilePart(const QString &fileName, TextEncoding &encoding, qint64 byteCount);
    bool SaveToFileAs(const QString &fileName, TextEncoding encoding, LineBreakStyle lineBreak);
    virtual bool SaveToFileEncoding(const QString &fileName, TextEncoding encoding);
    bool SaveToFile(const QString &fileName) { return SaveToFileEncoding(fileName, Encoding); }

    // Narrow views.
    QList<QByteArray> AnsiStrings() const;
    QList<QByteArray> EscapedStrings() const;

    bool CaseSensitive = false;
    TDuplicates Duplicates = TDuplicates::Ignore;
    QString Delimiter = QStringLiteral(",");
    QString QuoteChar = QStringLiteral("\"");
    TextEncoding Encoding = TextEncoding::Auto;
    LineBreakStyle LineBreak = LineBreakStyle::CrLf;
    bool OwnsObjects = false;
    std::function<void(TMyWStrings *sender, int index, qint64 lengthPlusOne)> OnLineAdded;
    std::function<void(TMyWStrings *sender)> OnChange;

protected:
    struct Item {
        QString text;
        TObject *object = nullptr;
    };
    void Changed()
    {
        if (OnChange)
            OnChange(this);
    }
    bool InRange(int index) const { return index >= 0 && index < Count(); }
    // Removes an entry without freeing its object or raising OnChange.
    void RemoveAt(int index) { m_items.removeAt(index); }
    QList<Item> m_items;

private:
    void MergeSortIndices(std::vector<int> &idx, std::vector<int> &tmp, size_t lo, size_t hi,
                          const TMyWStringsCompare &compare);
    void QuickSortPart(int l, int r, const TMyWStringsCompare &compare);
    bool m_sorted = false;
    int m_updateCount = 0;
    qint64 m_sortSteps = 0;
    QString m_sortStatus;
};

// The text of a line break style ("\r\n" for anything unknown).
QString LineBreakText(LineBreakStyle style);
