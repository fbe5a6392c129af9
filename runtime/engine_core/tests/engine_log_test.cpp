// The engine log: line format, the 2048-byte cut of formatted texts, whole lines under
// concurrent writers, and the register calls' lines.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core_test_support.h"

using namespace core_test;

namespace {

class EngineLogTest : public CoreTest {};

// "<tick> <pid>:<tid> <text>"
const std::regex kLineFormat("^([0-9]+) ([0-9]+):([0-9]+) (.*)$");

std::string TextOf(const std::string& line) {
    std::smatch parts;
    return std::regex_match(line, parts, kLineFormat) ? parts[4].str() : std::string("<malformed: ") + line + ">";
}

TEST_F(EngineLogTest, LineHoldsTickProcessThreadAndTheTextsExactBytes) {
    const std::string marker = UniqueMarker("quib-log-format");
    const std::string text = marker + " \xBD\xA8\xC1\xA2 100%s end";  // GBK bytes and a % pass unchanged
    EXPECT_EQ(1, CoreLogText(text.c_str()));
    EXPECT_EQ(std::string::npos, LogPath().find("{pid}"));
    std::vector<std::string> lines = LogLinesContaining(marker);
    ASSERT_EQ(1u, lines.size());
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(lines[0], parts, kLineFormat)) << lines[0];
    EXPECT_EQ(std::to_string(CurrentProcessId()), parts[2].str());
    EXPECT_EQ(std::to_string(CurrentThreadId()), parts[3].str());
    EXPECT_EQ(text, parts[4].str());
}

TEST_F(EngineLogTest, PrintfFormatsAndCutsOffBeyond2048Bytes) {
    const std::string marker = UniqueMarker("quib-printf");
    EXPECT_EQ(1, CoreLogPrintf("%s %d %u %s %c", marker.c_str(), -5, 4000000000u, "word", 'x'));
    std::vector<std::string> lines = LogLinesContaining(marker);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(marker + " -5 4000000000 word x", TextOf(lines[0]));

    const std::string long_marker = UniqueMarker("quib-long");
    const std::string longest = long_marker + std::string(3000, 'y');
    CoreLogPrintf("%s", longest.c_str());
    lines = LogLinesContaining(long_marker);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(longest.substr(0, 2047), TextOf(lines[0]));
}

TEST_F(EngineLogTest, ConcurrentWritersNeverSplitALine) {
    constexpr int kThreads = 4, kLines = 100;
    const std::string marker = UniqueMarker("quib-concurrent");
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &marker] {
            for (int i = 0; i < kLines; ++i) {
                CoreLogPrintf("%s %d %d %s", marker.c_str(), t, i, std::string(200, 'a' + t).c_str());
            }
        });
    }
    for (auto& w : writers) w.join();
    std::vector<std::string> lines = LogLinesContaining(marker);
    ASSERT_EQ(static_cast<size_t>(kThreads * kLines), lines.size());
    const std::regex whole(marker + " ([0-9]) [0-9]+ ([a-d])\\2{199}");
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(TextOf(line), whole)) << line;
}

TEST_F(EngineLogTest, RegisterCallsLogTheirBase) {
    const size_t before = LogLinesContaining(" register base 4711").size();
    const size_t net_before = LogLinesContaining(" register net base 1717").size();
    EXPECT_EQ(1, CoreRegisterMessageBase(4711));
    EXPECT_EQ(1, CoreRegisterNetMessageBase(1717));
    const std::vector<std::string> lines = LogLinesContaining(" register base 4711");
    ASSERT_EQ(before + 1, lines.size());
    EXPECT_EQ("register base 4711", TextOf(lines.back()));
    EXPECT_EQ(net_before + 1, LogLinesContaining(" register net base 1717").size());
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Without QUIB_LOG the log is engine.log in the library's own folder, so the peer process
// binds a copy of the library in a folder of its own.
TEST_F(EngineLogTest, WithoutAPathTheLogSitsNextToTheLibraryAndCanGoToTheDebugger) {
    namespace fs = std::filesystem;
#if defined(_WIN32)
    const char* library = "QUIB.DLL";
#else
    const char* library = "libQUIB.so";
#endif
    ASSERT_NE(nullptr, std::getenv("KESTRAV_ENGINE_DIR"));
    const std::string engine_dir = std::getenv("KESTRAV_ENGINE_DIR");
    const fs::path folder = fs::temp_directory_path() / ("quib_log_" + std::to_string(CurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy_file(fs::path(engine_dir) / library, folder / library);
    const std::string own_log = std::getenv("QUIB_LOG");
    const std::string folder_text = folder.string();
    int result;
    {
        ScopedEnv dir("KESTRAV_ENGINE_DIR", folder_text.c_str());
        ScopedEnv debugger("QUIB_LOG_DEBUGSTR", "1");
        SetEnv("QUIB_LOG", nullptr);
        result = RunCorePeer({"log", "quib-default-path"}, (folder / "stderr.txt").string());
        SetEnv("QUIB_LOG", own_log.c_str());
    }
    SetEnv("KESTRAV_ENGINE_DIR", engine_dir.c_str());
    ASSERT_EQ(0, result);
    const std::regex line("[0-9]+ [0-9]+:[0-9]+ quib-default-path\n");
    EXPECT_TRUE(std::regex_match(FileText(folder / "engine.log"), line)) << FileText(folder / "engine.log");
#if !defined(_WIN32)
    EXPECT_TRUE(std::regex_search(FileText(folder / "stderr.txt"), line)) << "QUIB_LOG_DEBUGSTR=1";
#endif
    fs::remove_all(folder);
}

}  // namespace
