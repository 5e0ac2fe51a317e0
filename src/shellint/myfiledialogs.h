#pragma once
// The program's file and folder dialogs. They run Qt's own file dialog, never the desktop's, so
// that a panel of the caller's controls fits inside and every desktop shows the same dialog.
// Each component lives as long as its owner window and is reused: the file name, the folder,
// the filter index and the chosen files carry over between runs. UI thread only.

#include "lists/mywstrings.h"

#include <QFlags>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QWidget>

#include <functional>

class QFileDialog;

// Options of the file dialogs. The ones Qt's dialog has no use for are kept for the callers.
enum TOpenOption : quint32 {
    ofReadOnly = 0x1,
    ofOverwritePrompt = 0x2,      // ask before overwriting (save)
    ofHideReadOnly = 0x4,
    ofNoChangeDir = 0x8,
    ofShowHelp = 0x10,
    ofNoValidate = 0x20,
    ofAllowMultiSelect = 0x40,    // several files (open)
    ofExtensionDifferent = 0x80,  // answer of the save dialog (see AddDefaultExt)
    ofPathMustExist = 0x100,
    ofFileMustExist = 0x200,      // only existing files (open)
    ofCreatePrompt = 0x400,
    ofShareAware = 0x800,
    ofNoReadOnlyReturn = 0x1000,
    ofNoTestFileCreate = 0x2000,
    ofNoNetworkButton = 0x4000,
    ofNoLongNames = 0x8000,
    ofOldStyleDialog = 0x10000,
    ofNoDereferenceLinks = 0x20000,  // symbolic links are returned, not their targets
    ofEnableIncludeNotify = 0x40000,
    ofEnableSizing = 0x80000,
    ofDontAddToRecent = 0x100000,
    ofForceShowHidden = 0x200000,  // hidden files are listed
};
Q_DECLARE_FLAGS(TOpenOptions, TOpenOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOpenOptions)

enum TOpenOptionEx : quint32 {
    ofExNoPlacesBar = 0x1,  // no side bar of places
};
Q_DECLARE_FLAGS(TOpenOptionsEx, TOpenOptionEx)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOpenOptionsEx)

// Options of the folder dialog.
enum TBrowseOption : quint32 {
    bfReturnOnlyFsDirs = 0x1,
    bfBrowseForComputer = 0x2,
    bfBrowseForPrinter = 0x4,
    bfReturnFsAncestors = 0x8,
    bfBrowseIncludeFiles = 0x10,  // files are listed beside the folders
    bfBrowseIncludeURLs = 0x20,
    bfDontGoBelowDomain = 0x40,
    bfShareable = 0x80,
    bfEditBox = 0x100,
    bfValidate = 0x200,  // a typed name that is no folder is refused with a message
    bfUseNewUI = 0x400,
    bfUaHint = 0x800,
    bfNoNewFolderButton = 0x1000,  // no new folder (and no renaming or deleting) in the dialog
    bfNewDialogStyle = 0x2000,
    bfNoTranslateTargets = 0x4000,
    bfStatusText = 0x8000,
};
Q_DECLARE_FLAGS(TBrowseOptions, TBrowseOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBrowseOptions)

// The open dialog.
class TMyOpenFileDialog {
public:
    explicit TMyOpenFileDialog(QWidget *owner = nullptr);
    virtual ~TMyOpenFileDialog();
    TMyOpenFileDialog(const TMyOpenFileDialog &) = delete;
    TMyOpenFileDialog &operator=(const TMyOpenFileDialog &) = delete;

    // Runs the dialog modally. True when the user chose something: then FileName, Files and
    // FilterIndex hold the answer. Cancelling changes nothing.
    virtual bool Execute();
    // FileName := name, and name becomes the first entry of Files (moved there when present).
    void SetFileName(const QString &name);
    // The dialog while it is shown, else null.
    QFileDialog *Dialog() const { return m_dialog; }

    // "description|patterns|description|patterns…", patterns separated by ";".
    QString Filter;
    int FilterIndex = 1;  // 1-based
    TOpenOptions Options = TOpenOptions(ofHideReadOnly | ofEnableSizing);
    TOpenOptionsEx OptionsEx;
    // Controls of the caller's own (check boxes) shown under the dialog's controls while it runs;
    // afterwards the panel is hidden and goes back to its parent, its controls as the user left them.
    QPointer<QWidget> CustomBasePanel;
    QString DefaultExt;  // without the "."
    QString FileName;
    QString InitialDir;  // used only when the folder exists
    QString Title;       // empty: Qt's own caption
    bool PosCenter = false;      // centred on the work area of the screen under the mouse
    bool FilterUnicode = false;  // Filter is in the escaped narrow form (EncodeString)
    QPointer<QWidget> Owner;     // null: the active window
    TMyWStrings Files;           // the chosen paths, absolute

protected:
    bool Run(bool save);

private:
    QFileDialog *m_dialog = nullptr;
};

// The save dialog. Files holds the one chosen name after a successful run.
class TMySaveFileDialog : public TMyOpenFileDialog {
public:
    using TMyOpenFileDialog::TMyOpenFileDialog;
    bool Execute() override;
};

// The folder dialog.
class TMyOpenFolderDialog {
public:
    explicit TMyOpenFolderDialog(QWidget *owner = nullptr);
    virtual ~TMyOpenFolderDialog();
    TMyOpenFolderDialog(const TMyOpenFolderDialog &) = delete;
    TMyOpenFolderDialog &operator=(const TMyOpenFolderDialog &) = delete;

    // Runs the dialog modally. True when a folder was chosen: it is then the only entry of
    // Folders, with a trailing "/". Cancelling changes nothing.
    virtual bool Execute();
    // The first entry of Folders, or empty.
    QString FolderName() const;
    QFileDialog *Dialog() const { return m_dialog; }

    bool Center = true;  // kept for the callers; the window system places the dialog
    QString InitialDir;  // opened when it exists
    TBrowseOptions Options =
        TBrowseOptions(bfReturnOnlyFsDirs | bfReturnFsAncestors | bfNoNewFolderButton | bfNewDialogStyle);
    QPointer<QWidget> Owner;
    QString Title;
    TMyWStrings Folders;

private:
    QFileDialog *m_dialog = nullptr;
};

// The 1-based index of the first filter entry whose patterns have the extension (".mp3", any
// case); with none, the index of the last entry; 0 for an empty filter.
int FilterIndexForExt(QStringView filter, QStringView extension);

// The filter as Qt's name filters: "desc|a;b" becomes "desc (a b)", "*.*" becomes "*". With
// filterUnicode the filter is first decoded from the escaped narrow form.
QStringList FileDialogNameFilters(const QString &filter, bool filterUnicode);

// The save dialog's name for a chosen name and the default extension (without "."): a name
// without extension gets it; a name with another extension gets "." + defaultExt appended and
// *extensionDifferent set. An empty defaultExt leaves the name as it is.
QString AddDefaultExt(const QString &name, const QString &defaultExt, bool *extensionDifferent);

// Called with each dialog of this file once it is shown, from the dialog's event loop; tests
// choose and accept or reject through it. An empty hook removes it.
void SetFileDialogHook(std::function<void(QFileDialog *)> hook);
