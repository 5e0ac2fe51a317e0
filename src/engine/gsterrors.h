#pragma once
// The program's failure results for errors the media framework reports. The values are the
// result codes graph events and logs carry (an error event's first parameter).

#include <QString>

#include <glib.h>

#include <cstdint>

namespace engine {

enum class MediaResult : uint32_t {
    Ok = 0x00000000,                 // S_OK
    Failed = 0x80004005,             // E_FAIL
    NotImplemented = 0x80004001,     // E_NOTIMPL
    OutOfMemory = 0x8007000E,        // E_OUTOFMEMORY
    AccessDenied = 0x80070005,       // E_ACCESSDENIED
    FileNotFound = 0x80070002,       // ERROR_FILE_NOT_FOUND as a result
    NotFound = 0x80040216,           // VFW_E_NOT_FOUND: no such element or device
    CannotConnect = 0x80040217,      // VFW_E_CANNOT_CONNECT: formats could not be agreed
    CannotRender = 0x80040218,       // VFW_E_CANNOT_RENDER: no decoder or plug-in for a stream
    Timeout = 0x8004022E,            // VFW_E_TIMEOUT
    UnknownFileType = 0x80040240,    // VFW_E_UNKNOWN_FILE_TYPE: not a media file
    NoAudioHardware = 0x80040256,    // VFW_E_NO_AUDIO_HARDWARE: the output device cannot open
    UnsupportedStream = 0x80040265,  // VFW_E_UNSUPPORTED_STREAM: damaged or unsupported data
};

// The failure result of a GError from GStreamer (core, library, resource, stream domains) or
// GLib (file and I/O domains); Ok for no error, Failed for anything unknown.
MediaResult MapMediaError(const GError *error);
MediaResult MapMediaError(GQuark domain, int code);

bool Succeeded(MediaResult r);
// A short English name for logs ("E_FAIL", "VFW_E_CANNOT_RENDER", ...).
QString MediaResultName(MediaResult r);

} // namespace engine
