// Result codes of the media relay module's start and stop operations and of the player
// stream senders.
#pragma once

#include <cstdint>

constexpr int kRelayOk = 0;
constexpr int kRelayFail = static_cast<int>(0x80004005u);  // the platform's E_FAIL

constexpr int kSenderEndPlayer = -10;    // drop this player's connection
constexpr int kSenderNoStartPoint = -20; // keep the player and try again later
