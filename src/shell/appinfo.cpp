#include "shell/appinfo.h"

#include "platform/appdirs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <cstdio>

namespace {

MsgBoxAnswerer &Answerer()
{
    static MsgBoxAnswerer answerer;
    return answerer;
}

QList<int> Buttons(int flags)
{
    switch (flags & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    default: return {IDOK};
    }
}

QMessageBox::StandardButton StandardOf(int answer)
{
    switch (answer) {
    case IDCANCEL: return QMessageBox::Cancel;
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

// The buttons speak the program's language whatever translations Qt finds.
QString ButtonText(int answer)
{
    switch (answer) {
    case IDCANCEL: return QStringLiteral("キャンセル");
    case IDYES: return QStringLiteral("はい(&Y)");
    case IDNO: return QStringLiteral("いいえ(&N)");
    default: return QStringLiteral("OK");
    }
}

int AnswerOf(int standard)
{
    switch (standard) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
    }
}

QString DisplayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

QString ExePath()
{
    const QString path = platform::ExecutablePathOS();
    if (!path.isEmpty())
        return path;
    const QStringList args = QCoreApplication::arguments();
    return args.isEmpty() ? QString() : args.first();
}

QString AppTitle() { return QStringLiteral("tavio"); }

int DefaultMsgBoxAnswer(int flags)
{
    const QList<int> buttons = Buttons(flags);
    const int index = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    return buttons.value(index, buttons.first());
}

void SetMsgBoxAnswerer(MsgBoxAnswerer answerer) { Answerer() = std::move(answerer); }

int MsgBox(const QString &text, const QString &caption, int flags)
{
    if (MsgBoxAnswerer answerer = Answerer())
        return answerer(text, caption, flags);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), DisplayText(text).toLocal8Bit().constData());
        return DefaultMsgBoxAnswer(flags);
    }
    QWidget *owner = QApplication::activeWindow();
    if (owner)
        owner->raise();
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
    case MB_ICONERROR: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, caption, DisplayText(text), QMessageBox::NoButton, owner);
    const QList<int> buttons = Buttons(flags);
    for (int answer : buttons)
        if (QPushButton *button = box.addButton(StandardOf(answer)))
            button->setText(ButtonText(answer));
    box.setDefaultButton(StandardOf(DefaultMsgBoxAnswer(flags)));
    if (buttons.contains(IDCANCEL))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons.contains(IDNO))
        box.setEscapeButton(QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    box.raise();
    box.activateWindow();
    const int result = box.exec();
    if (box.clickedButton() == nullptr)
        return buttons.contains(IDCANCEL) ? IDCANCEL : buttons.contains(IDNO) ? IDNO : IDOK;
    return AnswerOf(result);
}

void MsgBoxInfo(const QString &text, const QString &caption) { MsgBox(text, caption, MB_OK); }
void MsgBoxInfo(const QString &text) { MsgBox(text, AppTitle(), MB_OK); }
int MsgBoxQuestion(const QString &text, const QString &caption) { return MsgBox(text, caption, MB_YESNO); }
int MsgBoxQuestion(const QString &text, int flags) { return MsgBox(text, AppTitle(), MB_YESNO | flags); }
int MsgBoxYesNoCancel(const QString &text, const QString &caption) { return MsgBox(text, caption, MB_YESNOCANCEL); }
int MsgBoxYesNoCancel(const QString &text) { return MsgBox(text, AppTitle(), MB_YESNOCANCEL); }

QMessageBox *FindMsgBox(const QString &caption, const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box || !box->isVisible())
            continue;
        if ((caption.isEmpty() || box->windowTitle() == caption) && (text.isEmpty() || box->text() == DisplayText(text)))
            return box;
    }
    return nullptr;
}
