// What CoreUnregisterObject does: after it returns, no message and no timer expiry for the
// object is delivered any more.
#pragma once

namespace quib::object_purge {

int Unregister(void* object);

}  // namespace quib::object_purge
