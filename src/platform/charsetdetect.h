#pragma once
// The language detector: ICU's charset detector, asked only for what the program's own
// byte rules leave open.

#include <QByteArrayView>

namespace platform {

// The Windows code page number the detector finds most likely among the given candidates,
// or -1 when it names none of them. Candidates are code page numbers (932, 20932, ...).
int DetectCodePageAmong(QByteArrayView bytes, std::initializer_list<int> candidates);

} // namespace platform
