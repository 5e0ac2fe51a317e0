#pragma once
// The command-line parser: the process's own command line and every text that arrives through a
// message panel are read with TMyParam. Qt Core only.
//
// A command line is split at blanks; double quotes group blanks into one argument, "" inside
// quotes stands for one quote, and text directly before an opening quote is an argument of its
// own. A switch is "/NAME" or "/NAME:VALUE"; "/NAME:" followed by a separate argument (the form
// /LISTSAVE:"/tmp/a b.m3u8" splits into) is joined back into one switch. An argument that starts
// with "/" is a plain path, not a switch, when its name part holds another "/" or when the whole
// argument names an existing file or folder (/home/u/a.mp3, /media).

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

class TMyParamOption {
public:
    int Index = 0;            // position among all arguments
    int NonSwitchIndex = -1;  // position among the non-switch arguments; -1 for a switch
    bool IsSwitch = false;
    bool HasValue = false;    // a switch with a ":"
    QString Name;             // switch name as written (after "/", up to the first ":")
    QString NameUpper;
    QString Value;            // everything after the first ":", as written
    QString ValueUpper;
    QString ValueText;        // Value trimmed, one pair of surrounding quotes removed, "" turned into "
    QString ValueTextUpper;
    QString Text;             // the argument as split

    // The switch name equals name, ignoring case. Non-switch arguments match no name.
    bool NameIs(QStringView name) const;
    // Value as a decimal integer or as a floating-point number ("." decimal point); 0 when
    // empty or not a number.
    int ValueInt() const;
    qint64 ValueInt64() const;
    double ValueFloat() const;
};

class TMyParam {
public:
    TMyParam() = default;
    explicit TMyParam(const QString &commandLine);
    // From a list of arguments (the first one the program path), joined with JoinCommandLine.
    static TMyParam FromArguments(const QStringList &arguments);
    // From the arguments of this process (ProcessArguments).
    static TMyParam FromProcess();

    int Count() const { return int(Options.size()); }
    int ParamCount() const { return Count() > 0 ? Count() - 1 : 0; }
    // The i-th option; an empty non-switch option when i is out of range.
    const TMyParamOption &OptionAt(int i) const;
    bool HasSwitch(QStringView name) const;
    // Value (as written) of the first switch named name; empty when there is none.
    QString SwitchValue(QStringView name) const;
    // The first switch named name, or nullptr.
    const TMyParamOption *FindSwitch(QStringView name) const;
    // Text of the k-th non-switch argument (on the process parameters k = 0 is the program
    // path); empty when there is none.
    QString NonSwitchArg(int k) const;
    // CommandLine after its first argument, trimmed of blanks: what a second instance forwards.
    QString RestOfCommandLine() const;

    std::vector<TMyParamOption> Options;
    int SwitchCount = 0;
    int NonSwitchCount = 0;
    QStringList Arguments;             // after splitting and joining
    QStringList ArgumentsWithoutFirst;
    QStringList NonSwitchArguments;
    QString CommandLine;
    QString FirstArgument;
};

// The parameters of this process (TMyParam::FromProcess), built on first use and kept until
// the program ends.
const TMyParam &ProcessParams();

// The arguments this process was started with, the program path first. The entry records them
// (SetProcessArguments) before it makes the application object, which gets the program name
// alone: a file named like one of the toolkit's options ("-style", "--platform") stays a file.
// Without that record: the kernel's record of them, else the application object's.
QStringList ProcessArguments();
void SetProcessArguments(const QStringList &arguments);

// Splits a command line into arguments (the quote rules above; no joining of switches).
QStringList SplitCommandLine(QStringView text);
// Joins arguments into one command line that SplitCommandLine gives back unchanged: an argument
// that is empty or holds a blank (space, tab, line feed, carriage return) or a quote goes in
// double quotes with its quotes doubled.
QString JoinCommandLine(const QStringList &arguments);
// The text after the first argument, trimmed of blanks; empty when the first argument does not
// end. Splitting the result gives the arguments after the first one.
QString RestOfCommandLine(QStringView commandLine);
// True when an argument counts as a switch: it starts with "/", has at least two characters,
// its name part (before the first ":") holds no further "/", and it is not an existing file or
// folder.
bool IsSwitchArgument(QStringView argument);
