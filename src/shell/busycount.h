#pragma once
// The player's busy count (user-interface thread only): while a long operation runs (opening,
// deleting, saving the list, file commands), user input to every window of the program and file
// dropping are off. Entering nests; only the outermost enter and the matching leave act.
//
// Disabling a Qt window would disable the dialogs the operation itself opens (a question, a
// file dialog), so input is turned away by an application event filter instead: it swallows
// mouse, key, wheel, touch, context-menu and drop events aimed anywhere but inside the active
// modal dialog (the drop-down, completion and context lists it opens included).

#include <QObject>

#include <functional>

class TMyBusyCount : public QObject {
    Q_OBJECT
public:
    explicit TMyBusyCount(QObject *parent = nullptr);
    ~TMyBusyCount() override;

    void Enter();
    // Returns whether the count is still above zero.
    bool Leave();
    bool IsBusy() const { return m_count > 0; }
    int Count() const { return m_count; }

    // Runs when the outermost leave has enabled input again.
    std::function<void()> OnInputEnabled;

Q_SIGNALS:
    // True when input went off, false when it came back (file dropping follows it).
    void busyChanged(bool busy);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_count = 0;
    bool m_filtering = false;
};

// Enters the count for a scope, leaving it however the scope ends.
class TMyBusyScope {
public:
    explicit TMyBusyScope(TMyBusyCount *count) : m_count(count) { if (m_count) m_count->Enter(); }
    ~TMyBusyScope() { if (m_count) m_count->Leave(); }
    TMyBusyScope(const TMyBusyScope &) = delete;
    TMyBusyScope &operator=(const TMyBusyScope &) = delete;

private:
    TMyBusyCount *m_count;
};
