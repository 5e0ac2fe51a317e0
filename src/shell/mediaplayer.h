#pragma once
// The player's main window.

#include "platform/messagepanel.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

class TMyMessagePanel;
class TMyPlayerBinding;

class TApp_MEDIAPlayer : public QMainWindow {
    Q_OBJECT
public:
    explicit TApp_MEDIAPlayer(QWidget *parent = nullptr);
    ~TApp_MEDIAPlayer() override;

    // The process's own command line goes through the panel like a forwarded one, once the
    // window is complete.
    void HandleStartupCommandLine(const QString &restOfCommandLine);

    // The dispatcher of every text the panel receives.
    void MyMessagePanel1TextChange(TMyMessagePanel *sender, const QString &text);

    // Starts a sub-player unless the one known is alive; true when a live one has answered
    // (waiting at most two seconds for the answer of a new one).
    bool EnsureSubPlayer();
    // Starts a new sub-player process without waiting for its answer.
    void StartSubPlayer();

    // The program a sub-player runs: this executable by default; empty starts none (tests).
    static void SetSubPlayerProgram(const QString &program);
    static QString SubPlayerProgram();

    TMyMessagePanel *MyMessagePanel1 = nullptr;
    TMyPlayerBinding *PlayerBinding = nullptr; // tag refresh, caption and hint of the playing entry
    platform::PanelHandle SubPlayerPanel = 0; // the sub-player's panel, from TO_SUBPLAYER
    bool OpenAdd = false; // stands for "開くときに追加(&A)" until the command exists

protected:
    // Opening collected paths; the playlist and the playback fill these in.
    virtual void OpenPaths(const QStringList &paths);
    virtual void OpenThisFolderOnly(const QStringList &folders);
};
