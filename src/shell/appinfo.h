#pragma once
// The program's identity and its message boxes. Every message box of the program goes through
// the MsgBox family.

#include <QString>

#include <functional>

class QMessageBox;

// The full path of the running executable.
QString ExePath();
// The product name ("tavio").
QString AppTitle();

// Buttons, icons and answers of message boxes, with the numbers the program has always used.
enum MsgBoxFlag : int {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};
enum MsgBoxAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The core: brings the active window forward, shows a modal box over it and returns the
// button pressed. "\r" in the text is a line break.
int MsgBox(const QString &text, const QString &caption, int flags = MB_OK);
// Information (OK only).
void MsgBoxInfo(const QString &text, const QString &caption);
void MsgBoxInfo(const QString &text); // caption AppTitle
// Yes/No questions: IDYES or IDNO.
int MsgBoxQuestion(const QString &text, const QString &caption);
int MsgBoxQuestion(const QString &text, int flags = 0); // caption AppTitle, flags added
// Yes/No/Cancel questions: IDYES, IDNO or IDCANCEL.
int MsgBoxYesNoCancel(const QString &text, const QString &caption);
int MsgBoxYesNoCancel(const QString &text);

// An open message box of the program with this caption and this text; an empty caption or
// text matches any.
QMessageBox *FindMsgBox(const QString &caption, const QString &text);

// Answers message boxes in place of the user (tests). It receives the text, caption and flags
// and returns the answer. An empty answerer brings the real boxes back.
using MsgBoxAnswerer = std::function<int(const QString &text, const QString &caption, int flags)>;
void SetMsgBoxAnswerer(MsgBoxAnswerer answerer);
// The answer a box gives when it is simply accepted: OK, or Yes (or No/Cancel when the default
// button flag picks it).
int DefaultMsgBoxAnswer(int flags);
