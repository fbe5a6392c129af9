#include "core_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "test_binding.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace core_test {

namespace {

// The log goes to a file of this run ("{pid}" in its name is the process id) unless the
// caller chose a fixed one. Process ids repeat across runs (a fresh wine prefix numbers its
// processes alike), so a file an earlier run left under this run's name is removed before the
// core opens it; the tests count the lines they wrote.
class LogFileEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!std::getenv("QUIB_LOG")) SetEnv("QUIB_LOG", "quib_tests_{pid}.log");
        if (std::strstr(std::getenv("QUIB_LOG"), "{pid}")) std::remove(LogPath().c_str());
    }
};
const auto* const g_log_environment = ::testing::AddGlobalTestEnvironment(new LogFileEnvironment);

bool BindOnce() {
    static const bool bound = test_binding::BindCore();
    return bound;
}

}  // namespace

void CoreTest::SetUp() {
    ASSERT_TRUE(BindOnce()) << "libQUIB not found in KESTRAV_ENGINE_DIR";
    CoreShutdownQueue();
    ASSERT_EQ(1, CoreRegisterNetMessageBase(1000));
}

void SetEnv(const char* name, const char* value) {
#if defined(_WIN32)
    SetEnvironmentVariableA(name, value);
    _putenv_s(name, value ? value : "");
#else
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

uint32_t CurrentThreadId() {
#if defined(_WIN32)
    return GetCurrentThreadId();
#else
    return static_cast<uint32_t>(syscall(SYS_gettid));
#endif
}

uint32_t CurrentProcessId() {
#if defined(_WIN32)
    return GetCurrentProcessId();
#else
    return static_cast<uint32_t>(getpid());
#endif
}

std::string LogPath() {
    const char* value = std::getenv("QUIB_LOG");
    std::string path = value ? value : "";
    const std::string pid = std::to_string(CurrentProcessId());
    for (size_t at = path.find("{pid}"); at != std::string::npos; at = path.find("{pid}")) path.replace(at, 5, pid);
    return path;
}

std::vector<std::string> LogLinesContaining(const std::string& needle) {
    std::ifstream file(LogPath(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(text, line)) {
        if (line.find(needle) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

std::string UniqueMarker(const std::string& base) {
    static int next = 0;
    return base + "-" + std::to_string(++next) + "-";
}

FrameworkMessage NextMessage() {
    FrameworkMessage m{};
    EXPECT_EQ(1, CoreGetMessage(&m)) << "queue closed";
    return m;
}

int RunCorePeer(const std::vector<std::string>& args, const std::string& stderr_path) {
#if defined(_WIN32)
    (void)stderr_path;
    std::string command = std::string("\"") + QUIB_CORE_PEER + "\"";
    for (const std::string& a : args) command += " \"" + a + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
#else
    std::vector<char*> argv{const_cast<char*>(QUIB_CORE_PEER)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stderr_path.empty()) {
        posix_spawn_file_actions_addopen(&actions, 2, stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    pid_t pid;
    const int started = posix_spawn(&pid, QUIB_CORE_PEER, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
#endif
}

void* CoreExport(const char* name) {
    return platform::GetProcAddress(test_binding::LoadOutside("QUIB.DLL", "libQUIB.so"), name);
}

}  // namespace core_test
