// Emulation and trace settings are read at the first socket creation, so they are set for the
// whole test program before any test runs. The rules only touch destinations no other test uses.
#include "seam_environment.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "net_fixture.h"
#include "platform.h"

namespace {

std::string* g_trace_path = nullptr;  // never freed
std::string* g_engine_log_path = nullptr;

class SeamEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        SetTestEnv("KUZ_NETEM", kTestNetem);
        char name[64];
        std::snprintf(name, sizeof(name), "kuz_trace_%u.log", static_cast<unsigned>(platform::CurrentProcessId()));
        g_trace_path = new std::string(name);
        std::remove(name);
        SetTestEnv("KUZ_LOG", name);
        std::snprintf(name, sizeof(name), "kuz_engine_%u.log", static_cast<unsigned>(platform::CurrentProcessId()));
        g_engine_log_path = new std::string(name);
        std::remove(name);
        SetTestEnv("QUIB_LOG", name);
    }
    void TearDown() override {
        std::remove(g_trace_path->c_str());
        std::remove(g_engine_log_path->c_str());
    }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new SeamEnvironment);

}  // namespace

const char* TracePath() {
    return g_trace_path ? g_trace_path->c_str() : "";
}

const char* EngineLogPath() {
    return g_engine_log_path ? g_engine_log_path->c_str() : "";
}
