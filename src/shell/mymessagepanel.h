#pragma once
// The message panel a window carries to receive texts from windows of any tavio process, and the
// functions that send them. A received text is a command line (TMyParam reads it).

#include "platform/messagepanel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

class TMyMessagePanel : public QObject {
    Q_OBJECT
public:
    using TMyTextChangeEvent = std::function<void(TMyMessagePanel *sender, const QString &text)>;

    // A panel of the window owner. className is the class name other processes find the window
    // by; empty takes the owner's own class name.
    explicit TMyMessagePanel(QWidget *owner, const QString &className = QString());
    ~TMyMessagePanel() override;

    bool IsOpen() const;
    QString ErrorText() const;
    platform::PanelHandle Handle() const; // 0 when the panel could not be opened
    QString ClassName() const;
    QWidget *Owner() const { return m_owner; }

    // The file the owning window shows (a property window); other processes compare it.
    void SetShownFile(const QString &path) { m_shownFile = path; }
    QString ShownFile() const { return m_shownFile; }

    // Called with every text received (and every text sent to this panel by this process).
    TMyTextChangeEvent OnTextChange;
    int Tag = 0;

    // Runs the handler as a received text does.
    void Receive(const QString &text);

private:
    QPointer<QWidget> m_owner;
    QString m_shownFile;
    std::unique_ptr<platform::PanelEndpoint> m_endpoint;
};

// Sends the text to the panel and waits until its handler has returned. A handle of 0 or of a
// panel that is gone does nothing. True when the text was handled.
bool SendPanelText(const QString &text, platform::PanelHandle panel);
// The same to the panel of a window of this process (or to the panel itself).
bool SendPanelText(const QString &text, QObject *window);
// Sends the text to every panel of every tavio process of this user, letting pending events run
// after each one.
void BroadcastPanelText(const QString &text);
// The same, skipping the panels in except.
void BroadcastPanelTextExcept(const QString &text, const QList<platform::PanelHandle> &except);

// The panel of a window of this process (the window itself when it is a panel), or nullptr / 0.
TMyMessagePanel *FindMessagePanelObject(QObject *window);
platform::PanelHandle FindMessagePanel(QObject *window);
// The first live panel of a window of the given class, in any process; 0 when there is none.
platform::PanelHandle FindWindowPanel(const QString &className);

// Restores the window if minimised and brings it to the front.
void RestoreAndRaise(QWidget *window);
// The same for the window of a panel: in another process its owner is asked to do it.
void RestoreAndRaise(platform::PanelHandle panel);

// The single-instance check of a player start. Takes the instance lock named mutexName; when
// this process got it, returns false (this is the first instance). Otherwise finds the running
// window of className, hands it the rest of arguments (the process arguments, program path
// first) or, without arguments, shows "すでに起動しています" captioned caption and sends
// extraText when not empty; raises that window and returns true.
bool FindRunningInstance(const QString &mutexName, const QString &className, const QString &caption,
                         const QString &extraText);
bool FindRunningInstance(const QString &mutexName, const QString &className, const QString &caption,
                         const QString &extraText, const QStringList &arguments);

// What a second start hands over: the arguments after the program path joined into one command
// line, each plain argument that names an existing file or folder relative to workingFolder made
// absolute (the running player has a working folder of its own). Switches, their values and
// everything else travel unchanged.
QStringList HandOverArguments(const QStringList &arguments, const QString &workingFolder);
QString HandOverText(const QStringList &arguments, const QString &workingFolder);
