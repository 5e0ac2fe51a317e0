#pragma once
// The walk shared by the number-aware comparisons: prefixes by the locale, then the numbers,
// then the same again for the rests, with one tie rule for texts that end up alike.
//
// A side S offers Empty(), GetSplit(), and static Full, Upper and MayBeEqual; optionally Same().
// Its Split offers PrefixEmpty(), Rest(), and static SamePrefix, Prefix and PrefixUpper.
// The Rule decides the number step of two splits.

struct NumberStep {
    enum Kind { Next, Result, Plain };
    Kind kind = Next;
    int value = 0;
};

// Texts alike in this many numbers compare their remainders as plain texts: this bounds the
// work (and the keys' memory) on long texts full of numbers.
constexpr int kMaxNumberSteps = 64;

template <class Rule, class S>
int NumberAwareSteps(S a, S b)
{
    for (int step = 0;; ++step) {
        if (a.Empty() && b.Empty())
            return 0;
        if (b.Empty())
            return 1;
        if (a.Empty())
            return -1;
        if constexpr (requires { a.Same(b); }) {
            if (a.Same(b))
                return 0;
        }
        if (step == kMaxNumberSteps) {
            const int c = S::Full(a, b);
            return c != 0 ? c : S::Upper(a, b);
        }
        int c = 0;
        bool known = false;
        if (S::MayBeEqual(a, b)) {
            c = S::Full(a, b);
            known = true;
            if (c == 0)
                return S::Upper(a, b);
        }
        const auto sa = a.GetSplit();
        const auto sb = b.GetSplit();
        if (sa.PrefixEmpty() != sb.PrefixEmpty())
            return known ? c : S::Full(a, b);
        using Split = decltype(sa);
        if (!Split::SamePrefix(sa, sb)) {
            if (const int p = Split::Prefix(sa, sb))
                return p;
            if (const int p = Split::PrefixUpper(sa, sb))
                return p;
        }
        const NumberStep n = Rule::Step(sa, sb);
        if (n.kind == NumberStep::Result)
            return n.value;
        if (n.kind == NumberStep::Plain)
            return known ? c : S::Full(a, b);
        a = sa.Rest();
        b = sb.Rest();
    }
}

// Equal numbers written differently ("07" and "7", "一" and "1") must not make two texts equal:
// such ties fall back to the plain comparison, then to the upper-case code units.
template <class Rule, class S>
int NumberAwareCompare(const S &a, const S &b)
{
    const int r = NumberAwareSteps<Rule>(a, b);
    if (r != 0 || a.Empty() || b.Empty())
        return r;
    if (S::Upper(a, b) == 0)
        return 0;
    const int c = S::Full(a, b);
    return c != 0 ? c : S::Upper(a, b);
}
