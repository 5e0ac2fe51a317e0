#pragma once
// The exception of the playback component: raised by the component's own operations (never
// across a GStreamer callback: bus messages reach the user-interface thread first), caught by
// the application's guard, which tells it apart from other failures.

#include <stdexcept>
#include <string>

class EMediaPlayerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
