#pragma once
// The background tag threads of the playlist.
//
// TMyTagRefresh walks the playlist on one worker thread (T_MyInfoUpdate, idle priority): each
// entry's tag comes from the tag library when the record is still current, otherwise from the file
// (tags and media information), and what was read is stored back in the library. TMyTagFetch reads
// the one entry the user clicked (T_MyInfoGet), the tag first and then the media information.
//
// The workers never touch the list and never wait for the user-interface thread. The entries a
// walk needs are copied when it starts; results travel back as queued reports that carry the walk's
// generation number and the entry's index and path. The controller, on the user-interface thread,
// drops a report of an earlier walk and a report whose index no longer names the same file (paths
// compare exactly), and only then updates the entry and tells the window. Stopping sets a flag and
// joins the worker, which needs nothing from the user-interface thread to end.
//
// The list is the player's playlist: a TMyWStrings (normally a TMyMediaStrings) whose objects are
// TMyTag records. It must outlive the controller's use of it: stop the controller before the list
// goes away, and before any structural edit that should not race with a walk.

#include "tags/mytag.h"
#include "tags/taglibrary.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

class TMyWStrings;

// What a walk did for one entry.
enum class TTagAction : uint8_t {
    FromLibrary,   // the library's record is current: no file read
    MediaOnly,     // tags current, media information measured
    ReadFully,     // file read (tags and media information)
    TakenOver,     // the list's own current tag went to the library (measured when it lacked media)
    Missing,       // the file does not exist
};

// One result of the walk, posted to the user-interface thread.
struct TTagReport {
    int Index = -1;
    QString FileName;
    TMyTagValue Value;
    bool Store = false;    // the tag was (to be) stored in the library
    bool Changed = false;  // differs from what the list showed
    TTagAction Action = TTagAction::FromLibrary;
};

// An entry as the list showed it when the walk began.
struct TTagWalkItem {
    int Index = -1;
    QString FileName;
    bool HasTag = false;
    qint64 WriteTime = 0;
    qint64 FileSize = 0;
    // The entry's tag in library form, kept only when it has a title of its own (it was read from
    // the file before): when the library lacks the file, the walk may store this instead of reading.
    std::unique_ptr<TMyLibraryRecord> Shown;
};

class TMyTagRefresh;

// The window caption while a walk goes on: "タグ取得中[%d/%d] %s" of the entry's number (index + 1),
// the entry count and the entry's file name.
QString TagProgressText(int index, int count, const QString &fileName);

// The walk's worker thread.
class T_MyInfoUpdate : public QThread {
public:
    T_MyInfoUpdate(TMyTagRefresh *owner, quint64 generation, std::vector<TTagWalkItem> items, int busyTimeoutMs);
    void RequestStop() { m_stop.store(true, std::memory_order_relaxed); }
    quint64 Generation() const { return m_generation; }
    bool StopRequested() const;

protected:
    void run() override;

private:
    struct Pending;
    void PostReports(std::vector<TTagReport> &reports);
    void FlushStores(TMyTagLibrary *library, Pending &pending);

    TMyTagRefresh *m_owner;
    quint64 m_generation;
    std::vector<TTagWalkItem> m_items;
    int m_busyTimeoutMs;
    std::atomic<bool> m_stop{false};
    bool m_busyLogged = false;
    bool m_errorLogged = false;
};

// Owns the tag refresh walk; lives on the user-interface thread.
class TMyTagRefresh : public QObject {
    Q_OBJECT
public:
    explicit TMyTagRefresh(QObject *parent = nullptr);
    ~TMyTagRefresh() override;

    // Stops a running walk, then walks list entries firstIndex..lastIndex (-1: to the end; any
    // other last index is clamped to firstIndex..count - 1). Returns false without a list; an
    // empty range still makes a walk that completes at once.
    bool Start(TMyWStrings *list, int lastIndex = -1, int firstIndex = 0);
    // Stops the walk after the entry in hand; reports still on their way are dropped.
    void Stop();
    // Stops the walk without waiting for the entry in hand (a measurement can take seconds):
    // its reports are dropped from now on and its thread is joined once its worker has posted
    // its end, or by the destructor. For edits of the list that must not hold the window.
    void Retire();
    // Walks retired and not yet joined.
    int RetiredCount() const { return int(m_retired.size()); }
    bool IsRunning() const { return m_thread != nullptr; }
    // The last walk reached its end.
    bool TagsComplete() const { return m_complete; }
    quint64 Generation() const { return m_generation; }

    // Priority of later walks (idle by default, so that playback is never disturbed).
    void SetPriority(QThread::Priority priority) { m_priority = priority; }
    QThread::Priority Priority() const { return m_priority; }
    // How long a worker waits for another connection's lock before it gives up on a store.
    void SetBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }

    // Counts since the controller was made (diagnostics and tests).
    struct Counts {
        int Applied = 0;
        int Dropped = 0;   // stale or of a stopped walk
        int FromLibrary = 0;
        int MediaOnly = 0;
        int ReadFully = 0;
        int TakenOver = 0;
        int Missing = 0;
    };
    const Counts &Statistics() const { return m_counts; }

Q_SIGNALS:
    // The entry at index took over the tag of the walk (ShowTagProgress); the window shows the
    // progress text "タグ取得中[%d/%d] %s" from it.
    void tagProgress(int index, bool store, bool changed);
    // The walk reached its end (MarkTagsComplete).
    void tagsComplete();
    // The walk's thread is gone, finished or stopped (UpdateThreadDestroyed).
    void threadFinished();

private:
    friend class T_MyInfoUpdate;
    // Called (queued) from the worker.
    void ApplyReports(quint64 generation, const std::vector<TTagReport> &reports);
    void WalkComplete(quint64 generation);
    void WorkerDone(quint64 generation);
    void Join(bool notify);

    TMyWStrings *m_list = nullptr;
    T_MyInfoUpdate *m_thread = nullptr;
    std::vector<T_MyInfoUpdate *> m_retired;
    quint64 m_generation = 0;
    bool m_complete = false;
    QThread::Priority m_priority = QThread::IdlePriority;
    int m_busyTimeoutMs = 2000;
    Counts m_counts;
};

class TMyTagFetch;

// Reads one clicked entry on its own thread.
class T_MyInfoGet : public QThread {
public:
    T_MyInfoGet(TMyTagFetch *owner, quint64 generation, int index, QString fileName, bool readFully,
                bool mediaOnly, std::unique_ptr<TMyTagValue> copy);
    void RequestStop() { m_stop.store(true, std::memory_order_relaxed); }
    bool StopRequested() const;
    bool ReadsFully() const { return m_readFully; }
    bool MeasuresOnly() const { return m_mediaOnly; }
    // run() has returned (the thread itself may still be finishing).
    bool Done() const { return m_done.load(std::memory_order_acquire); }

protected:
    void run() override;

private:
    void Work();
    void Post(bool fileInfo, std::unique_ptr<TMyTagValue> value);

    TMyTagFetch *m_owner;
    quint64 m_generation;
    int m_index;
    QString m_fileName;
    bool m_readFully;
    bool m_mediaOnly;
    std::unique_ptr<TMyTagValue> m_copy;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
};

// Owns the entry-information threads; lives on the user-interface thread. A newer fetch cancels
// the older one (its reports are dropped); every thread is joined before the controller goes.
class TMyTagFetch : public QObject {
    Q_OBJECT
public:
    explicit TMyTagFetch(QObject *parent = nullptr);
    ~TMyTagFetch() override;

    // Starts reading the entry at index of list. Returns false when index names no entry.
    bool Fetch(TMyWStrings *list, int index);
    // Cancels the current fetch; it ends at its next step and reports nothing more.
    void Cancel();
    // Cancels and joins every thread.
    void StopAll();
    int ThreadCount() const { return int(m_threads.size()); }
    quint64 Generation() const { return m_generation; }
    // The decision of the latest fetch (tests): whether it reads the file, or only measures.
    bool LastReadsFully() const { return m_lastReadFully; }
    bool LastMeasuresOnly() const { return m_lastMediaOnly; }

Q_SIGNALS:
    // First stage (ShowEntryTags): the tag read, or null when nothing new was read.
    void entryTags(int index, const TMyTag *tag);
    // Second stage (ShowEntryFileInfo): the tag with its media information, or null when nothing
    // new was read. A given tag has already been stored with the entry.
    void entryFileInfo(int index, const TMyTag *tag);

private:
    friend class T_MyInfoGet;
    void Deliver(quint64 generation, int index, const QString &fileName, bool fileInfo,
                 const std::shared_ptr<TMyTagValue> &value);
    void Reap();

    TMyWStrings *m_list = nullptr;
    std::vector<T_MyInfoGet *> m_threads;
    quint64 m_generation = 0;
    bool m_lastReadFully = false;
    bool m_lastMediaOnly = false;
};
