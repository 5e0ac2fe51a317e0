#include "shell/commandwords.h"

#include "shell/myparam.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>

namespace {

struct RateCommand {
    const char16_t *name;
    int thousandths;
};

constexpr RateCommand kRates[] = {
    {u"actPlay_Rate_100", 8700}, {u"actPlay_Rate_50", 5000}, {u"actPlay_Rate_20", 2000},
    {u"actPlay_Rate_17", 1700},  {u"actPlay_Rate_15", 1500}, {u"actPlay_Rate_13", 1300},
    {u"actPlay_Rate_11", 1100},  {u"actPlay_Rate_10", 1000}, {u"actPlay_Rate_09", 900},
    {u"actPlay_Rate_08", 800},   {u"actPlay_Rate_07", 700},  {u"actPlay_Rate_06", 600},
    {u"actPlay_Rate_05", 500},   {u"actPlay_Rate_01", 100},
};

} // namespace

int RateCommandCount() { return int(std::size(kRates)); }

QStringView RateCommandName(int menuIndex)
{
    return menuIndex >= 0 && menuIndex < RateCommandCount() ? QStringView(kRates[menuIndex].name) : QStringView();
}

double RateOfCommand(int menuIndex)
{
    return menuIndex >= 0 && menuIndex < RateCommandCount() ? kRates[menuIndex].thousandths / 1000.0 : 0.0;
}

int NearestRateIndex(double rate)
{
    // Far outside the menu every rate is as good as the end one; NaN reads as 0.
    const double limited = std::isnan(rate) ? 0.0 : std::clamp(rate, -1.0e6, 1.0e6);
    const long long target = std::llround(limited * 1000.0);
    int best = 0;
    long long bestDistance = -1;
    for (int i = 0; i < RateCommandCount(); ++i) {
        const long long distance = std::llabs(kRates[i].thousandths - target);
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

bool ParseRenameNotice(const TMyParam &param, TMyRenameNotice &notice)
{
    bool isRename = false;
    for (const TMyParamOption &o : param.Options)
        if (o.IsSwitch && o.NameIs(u"rename"))
            isRename = true;
    if (!isRename)
        return false;
    notice.OldPath = param.NonSwitchArg(0);
    notice.NewPath = param.NonSwitchArg(1);
    return !notice.OldPath.isEmpty() && !notice.NewPath.isEmpty();
}

bool WordSwitchesOn(QStringView valueUpper) { return valueUpper == u"ON"; }
