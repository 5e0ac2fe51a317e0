#pragma once
// Message panels: synchronous text delivery to a window of any tavio process of this user.
//
// Every panel is a Unix-domain socket in the private per-user folder ($XDG_RUNTIME_DIR/tavio,
// else /tmp/tavio-<uid>). The socket's file name is "<handle>.<window class name>", so listing the
// folder enumerates the panels. A send waits until the receiver's handler has returned; while it
// waits it keeps serving texts sent to this process's own panels, so a receiver that sends back
// does not deadlock the sender. A panel whose socket refuses connections is gone; its file is
// removed when that is noticed.
//
// Everything here runs on the user-interface thread.

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include <sys/types.h>

namespace platform {

// A panel's handle: a positive decimal number unique among the user's live panels.
using PanelHandle = int;

// The private folder for panels and the instance lock, created on demand with mode 0700.
// Empty, with a message in *error, when the folder is refused (not a real folder, owned by
// someone else, or open to the group or to others) or cannot be made.
QString PanelFolder(QString *error = nullptr);

// Checks that path is a real folder (no symbolic link) owned by owner with no access for the
// group or for others. False with a message in *error otherwise.
bool CheckPrivateFolder(const QString &path, uid_t owner, QString *error = nullptr);

// What the owner of a panel reports about its window.
struct PanelState {
    bool visible = false;
    bool minimized = false;
    QString shownFile; // the file a property window shows; empty elsewhere
    quint64 windowId = 0; // the native id of the panel's top-level window; 0 when it has none
};

// The answer to an identity query.
struct PanelIdentity {
    PanelHandle handle = 0;
    QString className;
    QString executablePath;
    qint64 processId = 0;
    PanelState state;
};

// One panel file found in the folder.
struct PanelEntry {
    PanelHandle handle = 0;
    QString className;
    QString path;
};

// One panel of this process. The socket exists from construction until destruction.
class PanelEndpoint {
public:
    // className: letters, digits and "_" only.
    explicit PanelEndpoint(const QString &className);
    ~PanelEndpoint();
    PanelEndpoint(const PanelEndpoint &) = delete;
    PanelEndpoint &operator=(const PanelEndpoint &) = delete;

    bool IsOpen() const;
    QString ErrorText() const; // why the panel could not be opened
    PanelHandle Handle() const; // 0 when not open
    QString ClassName() const;

    // The handler of received texts. It may itself send texts, also to the sender.
    void SetTextHandler(std::function<void(const QString &text)> handler);
    // Answers identity queries about the window.
    void SetStateProvider(std::function<PanelState()> provider);
    // Restores the window if minimised and brings it to the front.
    void SetRaiseHandler(std::function<void()> handler);

    struct Impl;

private:
    std::shared_ptr<Impl> d;
};

// The panel files in the folder, live or not, ordered by handle. An empty className lists all.
QList<PanelEntry> ListPanels(const QString &className = QString());

// True when the panel exists and accepts connections (IsWindow). A dead panel's file is removed.
bool IsPanel(PanelHandle handle);

// Delivers the text to the panel and waits until its handler has returned. False when there is
// no such panel, it is dead, or it died before answering.
bool DeliverPanelText(PanelHandle handle, const QString &text);

// Asks the panel about its window. With timeoutMs >= 0 a panel that has not answered by then
// counts as hung and gives no answer; otherwise the wait lasts as long as the panel lives.
std::optional<PanelIdentity> QueryPanel(PanelHandle handle, int timeoutMs = -1);

// Asks the panel's owner to restore its window if minimised and raise it.
bool RequestPanelRaise(PanelHandle handle);

// Serves texts sent to this process's panels for at most timeoutMs milliseconds, or until
// done() returns true. Nothing else of the event loop runs meanwhile.
void ServePanels(int timeoutMs, const std::function<bool()> &done = {});

} // namespace platform
