// The update thread's changes to the player's files and the player's close exclude each other:
// a change that has begun runs whole before the close goes on, and none begins once the player
// is closing. So a close leaves no download behind and no server list half rewritten.
#pragma once

#include <functional>

namespace zentavo {

// Runs `change` unless the player is closing; false when it did not run.
bool UnlessClosing(const std::function<void()>& change);

bool PlayerClosing();

// Waits for a change that is running, then lets none begin: the player ends right after.
void CloseGate();

}  // namespace zentavo
