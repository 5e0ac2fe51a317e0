#pragma once
// Waiting in window tests: for what the test expects to see, never for a fixed time. The deadline
// is only reached by a test that fails, so it is long enough for a loaded two-core machine.

#include <QCoreApplication>
#include <QtTest/QTest>

// How long a test waits for something that normally takes a moment.
constexpr int kLoadedWaitMs = 20000;

// Runs what is already posted (a layout, a resize, a zero timer), then lets events run until
// pred() holds or the time is up; pred()'s last answer. Unlike QTest::qWaitFor alone, a
// predicate that already holds does not skip the events the last call posted.
template <class Pred>
bool Settled(Pred pred, int ms = kLoadedWaitMs)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return QTest::qWaitFor(pred, ms);
}
