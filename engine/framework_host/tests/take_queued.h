// The message a handler under test queued last, read back through the bound core. A marker
// posted behind it comes back first when nothing was queued, so an empty queue reads as a
// message with the marker's id (0x7777) and is not mistaken for one the handler posted.
#pragma once

#include "engine_tables.h"
#include "outside_abi.h"

inline FrameworkMessage TakeQueued() {
    CorePostMessage(0, 0, 0x7777);
    FrameworkMessage m{};
    CoreGetMessage(&m);
    if (m.id != 0x7777) {
        FrameworkMessage marker{};
        CoreGetMessage(&marker);
    }
    return m;
}
