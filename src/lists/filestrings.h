#pragma once
// TMyFileStrings: a list of file names that fills itself from folders and patterns, lets in
// only the extensions it is told to, and sorts or shuffles by file properties.

#include "lists/fileutils.h"
#include "lists/mywstrings.h"

#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <random>

class TMyFileStrings : public TMyWStrings {
public:
    TMyFileStrings();
    ~TMyFileStrings() override;

    // Only names that pass IsAcceptable enter; a refused name's object is deleted and
    // AddObject returns -1.
    int AddObject(const QString &text, TObject *object) override;
    void InsertObject(int index, const QString &text, TObject *object) override;
    // Also takes the extension lists when the source is a file list.
    void Assign(const TMyWStrings &list) override;

    // The object attached to every file a search adds; none here.
    virtual TObject *CreateEntryObject(const QString &fileName, const TMySearchRec &entry);

    // Enumerates SearchTargets into the list: true when it ran to the end, false when it was
    // cancelled or had no target. A target ending in "/" stands for the folder's contents, a
    // folder named without it for the folder itself; either way subfolders are searched too
    // (unless ExcludedAttributes holds faDirectory). A mask such as "/m/*.mp3" applies to the
    // target's own folder; its subfolders are searched whole. Folders are visited depth-first
    // in natural order, each folder's files end up in natural name order, and a folder reached
    // again (through links) is not searched twice.
    virtual bool Search();
    // Search; with no OnCancelQuery of its own and EscapeCancels on, holding Escape cancels.
    virtual bool SearchCancellable();
    virtual bool SearchList(const TMyWStrings &targets);
    virtual bool SearchTarget(const QString &target);
    virtual bool AppendSearchList(const TMyWStrings &targets);
    virtual bool AppendSearchTarget(const QString &target);

    // Stable sorts of first..last (last -1: to the end) by numeral-aware comparison of the
    // whole entry, its name, folder or extension, or by size and file times.
    virtual void SortByPath(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByName(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByFolder(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByExt(bool ascending = true, int first = 0, int last = -1);
    virtual void SortBySize(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByWriteTime(bool ascending = true, int first = 0, int last = -1);
    virtual void SortByCreationTime(bool ascending = true, int first = 0, int last = -1);
    // Random order of first..last, objects moving with their entries.
    virtual void Shuffle(int first = 0, int last = -1);

    // Extension filter: allowed when AllowedExtensions is empty or holds the name's extension
    // (ignoring case; an empty entry admits names without one), and DeniedExtensions does not.
    bool IsAcceptable(const QString &fileName);
    void SetAllowedExtensions(const QStringList &extensions);
    void SetDeniedExtensions(const QStringList &extensions);
    const QStringList &AllowedExtensions() const { return m_allowed; }
    const QStringList &DeniedExtensions() const { return m_denied; }
    void CopyExtensionLists(const TMyFileStrings &other);

    void SetSearchTargets(const TMyWStrings &targets) { m_targets->Assign(targets); }
    TMyWStrings &SearchTargets() { return *m_targets; }
    const TMyWStrings &SearchTargets() const { return *m_targets; }
    QString ShortName(int index) const { return ShortPathName(Get(index)); }

    bool LastAccepted = false;
    int ExcludedAttributes = 0;  // entries with any of these attributes are skipped
    bool SearchAppends = true;   // false: Search clears the list first
    // After each file a search adds: its number among this search's additions (from 1) and name.
    std::function<void(TMyFileStrings *sender, int number, const QString &fileName)> OnFileFound;
    bool EscapeCancels = false;
    // Asked after every entry and every folder of a search; true cancels. Without it a search
    // stops only when the application is quitting.
    std::function<bool(TMyFileStrings *sender)> OnCancelQuery;

private:
    struct SearchRun;
    bool SearchOnePattern(SearchRun &run, const QString &pattern);
    bool CancelRequested();
    void SortByKey(bool ascending, int first, int last, const std::function<QString(const QString &)> &part);
    void SortByNumber(bool ascending, int first, int last, const std::function<qint64(const QString &)> &value);

    QStringList m_allowed;
    QStringList m_denied;
    QSet<QString> m_allowedKeys;
    QSet<QString> m_deniedKeys;
    std::unique_ptr<TMyWStrings> m_targets;
    std::mt19937_64 m_random;
};
