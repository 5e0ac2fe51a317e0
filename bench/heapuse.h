#pragma once
// Bytes the program holds on the heap now (glibc's count of blocks in use, the large ones it
// maps apart included): differences of two readings measure what a piece of work keeps, to the
// byte, where resident memory moves only by whole pages and rarely shrinks.

#include <QtGlobal>

#include <malloc.h>

inline qint64 HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}
