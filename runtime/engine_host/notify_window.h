// The --notify window: a message-only window whose handle the host writes to SysInfoBlock +28;
// every 3025/3026/3027 posted to it becomes a "notify" line. Natively there are no windows.
#pragma once

#include <cstdint>

// The window's handle as a 32-bit word, 0 when none could be made.
uint32_t CreateNotifyWindow();
// Handles the window messages queued for this thread.
void PumpNotifyMessages();
