// Shared helpers of the engine core tests: the bound table, a fresh queue per test, the log
// file and the environment seams.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine_tables.h"
#include "outside_abi.h"

namespace core_test {

// Every test starts with the core bound and an open, empty queue without timers.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
};


// value null = unset.
void SetEnv(const char* name, const char* value);

// Sets a variable for the life of the object and restores "unset" after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) { SetEnv(name, value); }
    ~ScopedEnv() { SetEnv(name_, nullptr); }

private:
    const char* name_;
};

uint32_t CurrentThreadId();
uint32_t CurrentProcessId();

// The log file of this process (QUIB_LOG with {pid} expanded) and its lines holding needle.
std::string LogPath();
std::vector<std::string> LogLinesContaining(const std::string& needle);
// A text never logged before in this process (tests may run repeatedly in one process).
std::string UniqueMarker(const std::string& base);

// Next message; fails the test when the queue reports closed.
FrameworkMessage NextMessage();

// Runs the second test process (core_peer_main.cpp) to its end with the current
// environment; its exit code, or -1 when it did not start or did not exit. stderr_path, when
// given, receives its standard error (native builds).
int RunCorePeer(const std::vector<std::string>& args, const std::string& stderr_path = {});

// An export of the core library other than TS_XXXX.
void* CoreExport(const char* name);

}  // namespace core_test
