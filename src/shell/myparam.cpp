#include "shell/myparam.h"

#include "platform/files.h"
#include "platform/locale.h"

#include <QCoreApplication>
#include <QFile>

#include <optional>

namespace {

inline bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

QStringView TrimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

// Reads the next argument from pos on. Returns false when none is left. On return pos is just
// after the argument: at the blank or opening quote that ended it, after its closing quote, or
// at the end of the text. inQuoteAtEnd tells whether the text ran out inside quotes.
bool NextArgument(QStringView text, qsizetype &pos, QString &arg, bool *inQuoteAtEnd = nullptr)
{
    arg.clear();
    bool inQuote = false;
    bool pendingQuote = false;
    const qsizetype n = text.size();
    const qsizetype start = pos;
    for (qsizetype i = pos; i < n; ++i) {
        const QChar c = text[i];
        if (IsBlank(c)) {
            if (inQuote) {
                arg += c;
                continue;
            }
            if (!arg.isEmpty()) {
                pos = i;
                return true;
            }
            continue;
        }
        if (c == u'"') {
            if (!inQuote) {
                if (!arg.isEmpty()) {  // text directly before a quote is an argument of its own
                    pos = i;
                    return true;
                }
                inQuote = true;
                continue;
            }
            if (pendingQuote) {
                arg += u'"';
                pendingQuote = false;
                continue;
            }
            if (i + 1 < n && text[i + 1] == u'"') {
                pendingQuote = true;
                continue;
            }
            pos = i + 1;  // the closing quote: the argument counts even when empty
            return true;
        }
        arg += c;
    }
    pos = n;
    if (inQuoteAtEnd && start < n)
        *inQuoteAtEnd = inQuote;
    return !arg.isEmpty();
}

// Trims surrounding blanks, drops one leading and one trailing quote, trims again and turns
// every doubled quote into one.
QString ValueTextOf(QStringView value)
{
    QStringView v = TrimBlanks(value);
    if (v.startsWith(u'"'))
        v = v.sliced(1);
    if (v.endsWith(u'"'))
        v.chop(1);
    QString out = TrimBlanks(v).toString();
    out.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return out;
}

bool PathExists(QStringView argument)
{
    if (argument.contains(QChar(u'\0')))
        return false;
    const platform::FileStatus st = platform::GetFileStatus(argument.toString());
    return st.exists || st.isLink;
}

bool NeedsQuotes(QStringView argument)
{
    if (argument.isEmpty())
        return true;
    for (QChar c : argument)
        if (IsBlank(c) || c == u'"')
            return true;
    return false;
}

const TMyParamOption &EmptyOption()
{
    static const TMyParamOption empty;
    return empty;
}

} // namespace

// ---------------------------------------------------------------------------------------------

QStringList SplitCommandLine(QStringView text)
{
    QStringList out;
    qsizetype pos = 0;
    QString arg;
    while (NextArgument(text, pos, arg))
        out.append(arg);
    return out;
}

QString JoinCommandLine(const QStringList &arguments)
{
    QString out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (i > 0)
            out += u' ';
        const QString &a = arguments[i];
        if (NeedsQuotes(a)) {
            out += u'"';
            for (QChar c : a) {
                out += c;
                if (c == u'"')
                    out += u'"';
            }
            out += u'"';
        } else {
            out += a;
        }
    }
    return out;
}

QString RestOfCommandLine(QStringView commandLine)
{
    qsizetype pos = 0;
    QString first;
    if (!NextArgument(commandLine, pos, first))
        return QString();
    if (pos >= commandLine.size())
        return QString();  // the first argument never ended
    const QStringView rest = commandLine.sliced(pos);
    // Blanks at the end belong to the last argument when it is still inside quotes.
    qsizetype p = 0;
    QString arg;
    bool inQuote = false;
    while (NextArgument(rest, p, arg, &inQuote)) {
    }
    if (inQuote) {
        qsizetype b = 0;
        while (b < rest.size() && IsBlank(rest[b]))
            ++b;
        return rest.sliced(b).toString();
    }
    return TrimBlanks(rest).toString();
}

bool IsSwitchArgument(QStringView argument)
{
    if (argument.size() < 2 || argument[0] != u'/')
        return false;
    const qsizetype colon = argument.indexOf(u':');
    const QStringView name = colon < 0 ? argument.sliced(1) : argument.sliced(1, colon - 1);
    if (name.contains(u'/'))
        return false;
    return !PathExists(argument);
}

// ---------------------------------------------------------------------------------------------

bool TMyParamOption::NameIs(QStringView name) const
{
    return IsSwitch && NameUpper == platform::UpperUnits(name);
}

qint64 TMyParamOption::ValueInt64() const
{
    bool ok = false;
    const qint64 v = TrimBlanks(Value).toLongLong(&ok);
    return ok ? v : 0;
}

int TMyParamOption::ValueInt() const
{
    bool ok = false;
    const int v = TrimBlanks(Value).toInt(&ok);
    return ok ? v : 0;
}

double TMyParamOption::ValueFloat() const
{
    bool ok = false;
    const double v = TrimBlanks(Value).toDouble(&ok);
    return ok ? v : 0.0;
}

TMyParam::TMyParam(const QString &commandLine) : CommandLine(commandLine)
{
    QStringList args = SplitCommandLine(commandLine);
    // "/NAME:" followed by an argument is one switch whose value was written in quotes.
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        const QString &a = args[i];
        if (!a.isEmpty() && a.startsWith(u'/') && a.endsWith(u':') && IsSwitchArgument(a)) {
            args[i] += args[i + 1];
            args.removeAt(i + 1);
        }
    }
    Arguments = args;
    Options.reserve(size_t(args.size()));
    for (qsizetype i = 0; i < args.size(); ++i) {
        TMyParamOption o;
        o.Index = int(i);
        o.Text = args[i];
        o.IsSwitch = IsSwitchArgument(o.Text);
        if (o.IsSwitch) {
            const qsizetype colon = o.Text.indexOf(u':');
            o.HasValue = colon >= 0;
            o.Name = colon < 0 ? o.Text.mid(1) : o.Text.mid(1, colon - 1);
            o.Value = colon < 0 ? QString() : o.Text.mid(colon + 1);
            o.NameUpper = platform::UpperUnits(o.Name);
            o.ValueUpper = platform::UpperUnits(o.Value);
            o.ValueText = ValueTextOf(o.Value);
            o.ValueTextUpper = platform::UpperUnits(o.ValueText);
            ++SwitchCount;
        } else {
            o.NonSwitchIndex = NonSwitchCount++;
            NonSwitchArguments.append(o.Text);
        }
        Options.push_back(std::move(o));
    }
    if (!Arguments.isEmpty()) {
        FirstArgument = Arguments.first();
        ArgumentsWithoutFirst = Arguments.mid(1);
    }
}

TMyParam TMyParam::FromArguments(const QStringList &arguments)
{
    return TMyParam(JoinCommandLine(arguments));
}

namespace {
std::optional<QStringList> &RecordedArguments()
{
    static std::optional<QStringList> arguments;
    return arguments;
}
} // namespace

void SetProcessArguments(const QStringList &arguments) { RecordedArguments() = arguments; }

QStringList ProcessArguments()
{
    if (RecordedArguments())
        return *RecordedArguments();
    // The arguments as the kernel keeps them (the toolkit's options not taken out).
    QFile f(QStringLiteral("/proc/self/cmdline"));
    QStringList args;
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray all = f.readAll();
        for (const QByteArray &a : all.split('\0'))
            args.append(QFile::decodeName(a));
        if (!args.isEmpty() && all.endsWith('\0'))
            args.removeLast();  // the split after the final terminator
    }
    if (args.isEmpty() && QCoreApplication::instance())
        return QCoreApplication::arguments();
    return args;
}

TMyParam TMyParam::FromProcess()
{
    return FromArguments(ProcessArguments());
}

const TMyParamOption &TMyParam::OptionAt(int i) const
{
    if (i < 0 || i >= Count())
        return EmptyOption();
    return Options[size_t(i)];
}

const TMyParamOption *TMyParam::FindSwitch(QStringView name) const
{
    const QString upper = platform::UpperUnits(name);
    for (const TMyParamOption &o : Options)
        if (o.IsSwitch && o.NameUpper == upper)
            return &o;
    return nullptr;
}

bool TMyParam::HasSwitch(QStringView name) const
{
    return FindSwitch(name) != nullptr;
}

QString TMyParam::SwitchValue(QStringView name) const
{
    const TMyParamOption *o = FindSwitch(name);
    return o ? o->Value : QString();
}

QString TMyParam::NonSwitchArg(int k) const
{
    if (k < 0 || k >= NonSwitchArguments.size())
        return QString();
    return NonSwitchArguments[k];
}

QString TMyParam::RestOfCommandLine() const
{
    return ::RestOfCommandLine(CommandLine);
}

const TMyParam &ProcessParams()
{
    static const TMyParam params = TMyParam::FromProcess();
    return params;
}
