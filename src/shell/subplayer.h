#pragma once
// The sub-player: a hidden second process that gives the player's video a live owner window
// while the player is minimised. It lives as long as the player's panel does.

#include "platform/messagepanel.h"

#include <QWidget>

class QTimer;
class TMyMessagePanel;

class TApp_MEDIAPlayerSubForm : public QWidget {
    Q_OBJECT
public:
    // restOfCommandLine: this process's own command line after the program path, handled by
    // the panel handler at once ("/SUBPLAYER /FROM:<panel>").
    explicit TApp_MEDIAPlayerSubForm(const QString &restOfCommandLine, QWidget *parent = nullptr);
    ~TApp_MEDIAPlayerSubForm() override;

    void MyMessagePanel1TextChange(TMyMessagePanel *sender, const QString &text);
    void Timer2Timer();

    TMyMessagePanel *MyMessagePanel1 = nullptr;
    QTimer *Timer2 = nullptr;
    platform::PanelHandle FromWindow = 0;

Q_SIGNALS:
    // The sub-player has closed; its process ends.
    void Closed();

private:
    void CloseSubPlayer();
    bool m_closed = false;
};
