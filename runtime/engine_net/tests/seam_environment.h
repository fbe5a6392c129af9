#pragma once

// 127.0.0.9: delayed with jitter; 127.0.0.10: every datagram lost; 127.0.0.11: 20000 bytes/s.
constexpr const char* kTestNetem = "to=127.0.0.9,delay=60,jitter=50;to=127.0.0.10,loss=100;to=127.0.0.11,rate=20000";

// The KUZ_LOG file of this test program.
const char* TracePath();
// The engine core's log file (QUIB_LOG) of this test program.
const char* EngineLogPath();
