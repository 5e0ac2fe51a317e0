// The command-line parser over arbitrary UTF-16 text: no crash, no hang, and splitting, joining
// and the forwarded rest stay consistent with each other.
#include "shell/myparam.h"

#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Utf16Of(data, size);

    const QStringList args = SplitCommandLine(text);
    Check(SplitCommandLine(JoinCommandLine(args)) == args);
    const QString rest = RestOfCommandLine(text);
    Check(SplitCommandLine(rest) == args.mid(1));

    const TMyParam p(text);
    Check(p.Count() == p.Arguments.size());
    Check(p.SwitchCount + p.NonSwitchCount == p.Count());
    Check(p.NonSwitchArguments.size() == p.NonSwitchCount);
    Check(p.RestOfCommandLine() == rest);
    for (int i = 0; i < p.Count(); ++i) {
        const TMyParamOption &o = p.OptionAt(i);
        Check(o.Index == i && o.Text == p.Arguments[i]);
        Check(o.IsSwitch == (o.NonSwitchIndex < 0));
        if (o.IsSwitch) {
            Check(p.HasSwitch(o.Name));
            (void)p.SwitchValue(o.Name);
            (void)o.ValueInt();
            (void)o.ValueFloat();
        } else {
            Check(p.NonSwitchArg(o.NonSwitchIndex) == o.Text);
        }
    }
    (void)p.OptionAt(-1);
    (void)p.OptionAt(p.Count());
    return 0;
}
