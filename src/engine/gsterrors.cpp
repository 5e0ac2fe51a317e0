#include "engine/gsterrors.h"

#include <gio/gio.h>
#include <gst/gst.h>

namespace engine {

MediaResult MapMediaError(const GError *error)
{
    if (!error)
        return MediaResult::Ok;
    return MapMediaError(error->domain, error->code);
}

MediaResult MapMediaError(GQuark domain, int code)
{
    if (domain == 0)
        return MediaResult::Failed;
    if (domain == GST_RESOURCE_ERROR) {
        switch (code) {
        case GST_RESOURCE_ERROR_NOT_FOUND:
            return MediaResult::FileNotFound;
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            return MediaResult::AccessDenied;
        case GST_RESOURCE_ERROR_BUSY:
        case GST_RESOURCE_ERROR_OPEN_WRITE:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
            return MediaResult::NoAudioHardware;  // an output device that cannot be opened
        case GST_RESOURCE_ERROR_NO_SPACE_LEFT:
        case GST_RESOURCE_ERROR_READ:
        case GST_RESOURCE_ERROR_WRITE:
        case GST_RESOURCE_ERROR_SEEK:
        case GST_RESOURCE_ERROR_SYNC:
        case GST_RESOURCE_ERROR_CLOSE:
        case GST_RESOURCE_ERROR_SETTINGS:
        case GST_RESOURCE_ERROR_FAILED:
        default:
            return MediaResult::Failed;
        }
    }
    if (domain == GST_STREAM_ERROR) {
        switch (code) {
        case GST_STREAM_ERROR_TYPE_NOT_FOUND:
            return MediaResult::UnknownFileType;
        case GST_STREAM_ERROR_CODEC_NOT_FOUND:
            return MediaResult::CannotRender;
        case GST_STREAM_ERROR_WRONG_TYPE:
        case GST_STREAM_ERROR_FORMAT:
        case GST_STREAM_ERROR_DEMUX:
        case GST_STREAM_ERROR_DECODE:
            return MediaResult::UnsupportedStream;
        case GST_STREAM_ERROR_NOT_IMPLEMENTED:
            return MediaResult::NotImplemented;
        case GST_STREAM_ERROR_DECRYPT:
        case GST_STREAM_ERROR_DECRYPT_NOKEY:
            return MediaResult::AccessDenied;
        default:
            return MediaResult::Failed;
        }
    }
    if (domain == GST_CORE_ERROR) {
        switch (code) {
        case GST_CORE_ERROR_MISSING_PLUGIN:
            return MediaResult::CannotRender;
        case GST_CORE_ERROR_NEGOTIATION:
        case GST_CORE_ERROR_CAPS:
            return MediaResult::CannotConnect;
        case GST_CORE_ERROR_NOT_IMPLEMENTED:
            return MediaResult::NotImplemented;
        default:
            return MediaResult::Failed;
        }
    }
    if (domain == GST_LIBRARY_ERROR)
        return MediaResult::Failed;
    if (domain == G_FILE_ERROR) {
        switch (code) {
        case G_FILE_ERROR_NOENT:
        case G_FILE_ERROR_NOTDIR:
            return MediaResult::FileNotFound;
        case G_FILE_ERROR_ACCES:
        case G_FILE_ERROR_PERM:
        case G_FILE_ERROR_ROFS:
            return MediaResult::AccessDenied;
        case G_FILE_ERROR_NOMEM:
            return MediaResult::OutOfMemory;
        default:
            return MediaResult::Failed;
        }
    }
    if (domain == G_IO_ERROR) {
        switch (code) {
        case G_IO_ERROR_NOT_FOUND:
            return MediaResult::FileNotFound;
        case G_IO_ERROR_PERMISSION_DENIED:
            return MediaResult::AccessDenied;
        case G_IO_ERROR_TIMED_OUT:
            return MediaResult::Timeout;
        case G_IO_ERROR_NOT_SUPPORTED:
            return MediaResult::NotImplemented;
        default:
            return MediaResult::Failed;
        }
    }
    return MediaResult::Failed;
}

bool Succeeded(MediaResult r)
{
    return (uint32_t(r) & 0x80000000u) == 0;
}

QString MediaResultName(MediaResult r)
{
    switch (r) {
    case MediaResult::Ok: return QStringLiteral("S_OK");
    case MediaResult::Failed: return QStringLiteral("E_FAIL");
    case MediaResult::NotImplemented: return QStringLiteral("E_NOTIMPL");
    case MediaResult::OutOfMemory: return QStringLiteral("E_OUTOFMEMORY");
    case MediaResult::AccessDenied: return QStringLiteral("E_ACCESSDENIED");
    case MediaResult::FileNotFound: return QStringLiteral("ERROR_FILE_NOT_FOUND");
    case MediaResult::NotFound: return QStringLiteral("VFW_E_NOT_FOUND");
    case MediaResult::CannotConnect: return QStringLiteral("VFW_E_CANNOT_CONNECT");
    case MediaResult::CannotRender: return QStringLiteral("VFW_E_CANNOT_RENDER");
    case MediaResult::Timeout: return QStringLiteral("VFW_E_TIMEOUT");
    case MediaResult::UnknownFileType: return QStringLiteral("VFW_E_UNKNOWN_FILE_TYPE");
    case MediaResult::NoAudioHardware: return QStringLiteral("VFW_E_NO_AUDIO_HARDWARE");
    case MediaResult::UnsupportedStream: return QStringLiteral("VFW_E_UNSUPPORTED_STREAM");
    }
    return QStringLiteral("0x%1").arg(uint32_t(r), 8, 16, QLatin1Char('0'));
}

} // namespace engine
