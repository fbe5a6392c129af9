// The framework's message loop and its crash log, over an in-memory engine core.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <new>
#include <regex>
#include <sstream>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "crash_log.h"
#include "fake_core.h"
#include "message_ids.h"
#include "message_loop.h"
#include "message_object.h"
#include "platform.h"

namespace {

// Records the ids it receives; a delivered kMarker tells the test the loop got that far.
struct Recorder : CMessageObject {
    std::atomic<int> count{0};
    std::atomic<uint32_t> last_id{0};
    int OnMessage(FrameworkMessage* m) override {
        last_id = m->id;
        ++count;
        return 0;
    }
};

constexpr uint32_t kMarker = 4242;

bool WaitFor(const std::function<bool()>& done, uint32_t ms = 5000) {
    for (uint32_t waited = 0; waited < ms; waited += 10) {
        if (done()) return true;
        platform::SleepMs(10);
    }
    return done();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh folder in the platform's own path form: the crash log finds its folder by the
// platform's separator (a backslash under Windows).
std::filesystem::path TempDir() {
    static int serial = 0;
    auto dir = std::filesystem::temp_directory_path() /
               ("message_loop_" + std::to_string(platform::CurrentProcessId()) + "_" + std::to_string(++serial));
    std::filesystem::create_directories(dir);
    return dir;
}

std::string RegexLiteral(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

// The crash log is written in text mode: its lines end in CR LF under Windows.
#if defined(_WIN32)
const std::string kLogNewline = "\r\n";
#else
const std::string kLogNewline = "\n";
#endif

// Where 32-bit code runs through qemu's user-mode emulator (binfmt_misc), wine gets the fault
// signal without the page-fault trap number and reports a read of unmapped memory as an
// illegal instruction instead of an access violation.
bool WineOnEmulatedI386() {
#if defined(_WIN32)
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
    std::ifstream entry("Z:\\proc\\sys\\fs\\binfmt_misc\\qemu-i386");
    std::string state;
    return std::getline(entry, state) && state == "enabled";
#else
    return false;
#endif
}

std::string UnreadableMemoryFaultCode() {
    return WineOnEmulatedI386() ? "0xc000001d" : "0xc0000005";
}

class MessageLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeCore::Bind();
        std::filesystem::path dir = TempDir();
        program_ = (dir / "QEB.exe").string();
        crash_log_ = (dir / "crash.log").string();
        SetCrashLogProgramPathForTest(program_.c_str());
        SetFrameworkManagerTarget(&manager_);
    }
    void TearDown() override {
        StopMessageLoop();
        SetFrameworkManagerTarget(nullptr);
        SetCrashLogProgramPathForTest(nullptr);
        std::remove(CrashLogPath().c_str());
    }
    const std::string& CrashLogPath() const { return crash_log_; }
    // Posts a marker to a live object and waits until the loop delivered it.
    void Drain() {
        int before = probe_.count;
        CorePostMessage(probe_.AsTarget(), 0, kMarker);
        ASSERT_TRUE(WaitFor([&] { return probe_.count > before; }));
    }

    std::string program_, crash_log_;
    Recorder manager_, probe_;
};

TEST_F(MessageLoopTest, MessagesToTargetZeroReachTheManagerAndAreLoggedQuitIncluded) {
    StartMessageLoop();
    CorePostMessage(0, 0, 1234, 1, 2, 3, 4);
    Drain();
    EXPECT_EQ(manager_.last_id, 1234u);
    StopMessageLoop();
    auto& core = FakeCore::Get();
    EXPECT_TRUE(core.HasLog("Framework Message 1234"));
    EXPECT_TRUE(core.HasLog("Framework Message 65535"));
    EXPECT_EQ(manager_.count, 1);  // the quit itself is not handed to the manager
}

TEST_F(MessageLoopTest, QuitPostedToAnObjectEndsTheLoopWithoutALogLine) {
    StartMessageLoop();
    Drain();
    CorePostMessage(probe_.AsTarget(), 0, MSG_QUIT);
    CorePostMessage(probe_.AsTarget(), 0, kMarker);  // must never be delivered
    platform::SleepMs(200);
    int delivered = probe_.count;
    StopMessageLoop();
    EXPECT_EQ(probe_.count, delivered);
    EXPECT_EQ(delivered, 1);
    for (const auto& line : FakeCore::Get().Logs()) EXPECT_EQ(line.find("Framework Message"), std::string::npos) << line;
}

TEST_F(MessageLoopTest, SecondStartAndStopWithoutStartOnlyLog) {
    StopMessageLoop();
    EXPECT_TRUE(FakeCore::Get().HasLog("message loop thread is already stopped!"));
    StartMessageLoop();
    StartMessageLoop();
    bool found = false;
    for (const auto& line : FakeCore::Get().Logs()) found |= line.rfind("message loop thread is already started ", 0) == 0;
    EXPECT_TRUE(found);
    Drain();  // one loop still serves the queue
    StopMessageLoop();
    bool staring = false, end = false;
    for (const auto& line : FakeCore::Get().Logs()) {
        staring |= line.rfind("message loop thread staring: ", 0) == 0;
        end |= line.rfind("message loop thread end: ", 0) == 0;
    }
    EXPECT_TRUE(staring && end);
    EXPECT_FALSE(MessageLoopWasTerminated());
}

// A target whose word at offset 4 is anything but the alive magic is skipped with two
// crash-log records; the loop goes on.
TEST_F(MessageLoopTest, InvalidTargetsAreSkippedWithTwoCrashRecordsEach) {
    struct ForeignObject {
        uint32_t table;
        uint32_t word;
    };
    static ForeignObject foreign{0, 0x12345678};
    alignas(Recorder) static unsigned char storage[sizeof(Recorder)];
    auto* destroyed = new (storage) Recorder;
    uint32_t destroyed_target = destroyed->AsTarget();
    destroyed->~Recorder();

    StartMessageLoop();
    CorePostMessage(ToWord(&foreign), 7, 1111, 1, 2, 3, 4);
    CorePostMessage(destroyed_target, 0, 2222);
    Drain();

    int invalid_lines = 0, error_lines = 0;
    for (const auto& line : FakeCore::Get().Logs()) {
        invalid_lines += line == "handle message: invalid object";
        error_lines += line.rfind("error in message handling(0): msg=[", 0) == 0;
    }
    EXPECT_EQ(invalid_lines, 2);
    EXPECT_EQ(error_lines, 2);

    std::string log = ReadFile(CrashLogPath());
    const std::string p = "(0x)?[0-9a-fA-F]+|\\(nil\\)";
    const std::string& nl = kLogNewline;
    const std::string time = "Time : \\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}" + nl;
    const std::string head = nl + "Crash: " + RegexLiteral(program_) + nl + time;
    const std::string record_pair = head + "handle message: invalid object" + nl + head + "error\\(0\\): \\[(" + p +
                                    "), (" + p + "), (1111|2222), (" + p + "), (" + p + "), (" + p + "), (" + p +
                                    "), (" + p + ")\\]" + nl + nl;
    EXPECT_TRUE(std::regex_match(log, std::regex("(" + record_pair + "){2}"))) << log;
}

TEST_F(MessageLoopTest, UnreadableTargetIsLoggedWithItsFaultCodeAndSkipped) {
    StartMessageLoop();
    CorePostMessage(0x10, 0, 3333);
    Drain();
    const std::string code = UnreadableMemoryFaultCode();
    bool fault_line = false;
    for (const auto& line : FakeCore::Get().Logs()) {
        fault_line |= line.rfind("error in message handling(" + code + "): msg=[", 0) == 0 &&
                      line.find(", 3333, ") != std::string::npos;
    }
    EXPECT_TRUE(fault_line) << "no fault line with code " << code;
    EXPECT_TRUE(FakeCore::Get().HasLog("handle message: invalid object"));
}

TEST(CrashLog, FallsBackToTheBareNameInTheCurrentFolder) {
#if !defined(_WIN32)
    char name[] = "/tmp/crash_fallback_XXXXXX";
    std::string dir = mkdtemp(name);
    char old[1024];
    ASSERT_TRUE(getcwd(old, sizeof(old)));
    ASSERT_EQ(chdir(dir.c_str()), 0);
    SetCrashLogProgramPathForTest("");
    WriteCrashLog("value %d", 5);
    SetCrashLogProgramPathForTest(nullptr);
    ASSERT_EQ(chdir(old), 0);
    std::string log = ReadFile(dir + "/crash.log");
    EXPECT_TRUE(std::regex_match(log, std::regex("\nCrash: \nTime : [0-9: .-]{23}\nvalue 5\n"))) << log;
#endif
}

#if !defined(_WIN32)
// A fault or an exception inside a handler is logged in both logs and then ends the process.
struct Faulty : CMessageObject {
    bool throw_instead;
    explicit Faulty(bool t) : throw_instead(t) {}
    int OnMessage(FrameworkMessage*) override {
        if (throw_instead) throw 42;
        *FromWord<volatile int>(0x8) = 1;
        return 0;
    }
};

struct HandlerFaultCase {
    bool throw_instead;
    int signal;
    const char* code;
};

class HandlerFault : public MessageLoopTest, public ::testing::WithParamInterface<HandlerFaultCase> {};

TEST_P(HandlerFault, IsLoggedTwiceThenEndsTheProcess) {
    const HandlerFaultCase c = GetParam();
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FakeCore::Bind();
        SetCrashLogProgramPathForTest(program_.c_str());
        auto* faulty = new Faulty(c.throw_instead);
        StartMessageLoop();
        CorePostMessage(faulty->AsTarget(), 0, 5555);
        platform::SleepMs(10000);
        _exit(0);  // not reached when the fault ended the process
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), c.signal);
    std::string log = ReadFile(CrashLogPath());
    EXPECT_NE(log.find(std::string("error(") + c.code + "): ["), std::string::npos) << log;
    EXPECT_NE(log.find(", 5555, "), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(FaultAndException, HandlerFault,
                         ::testing::Values(HandlerFaultCase{false, SIGSEGV, "0xc0000005"},
                                           HandlerFaultCase{true, SIGABRT, "0xe06d7363"}));
#endif

}  // namespace
