// Memory streams filled from files: the whole file, positioned at its start, and a clear error
// that leaves the stream alone when the file cannot be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "exceptions.h"
#include "streams.h"

namespace tk {
namespace {

TEST(MemoryStream, LoadFromFileTakesTheWholeFileAndStartsAtItsBeginning) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "toolkit_stream_load.bin";
    const std::string bytes("\x00\x01\xFFtail\r\n", 9);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    TMemoryStream stream;
    stream.Write("previous contents", 17);
    stream.LoadFromFile(path.wstring());
    EXPECT_EQ(stream.Position(), 0);
    ASSERT_EQ(stream.Size(), 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 9), bytes);

    std::filesystem::remove(path);
    EXPECT_THROW(stream.LoadFromFile(path.wstring()), EFOpenError);
    EXPECT_EQ(stream.Size(), 9);
}

TEST(MemoryStream, LoadFromFileOfAnEmptyFileEmptiesTheStream) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "toolkit_stream_empty.bin";
    std::ofstream(path, std::ios::binary).flush();
    TMemoryStream stream;
    stream.Write("x", 1);
    stream.LoadFromFile(path.wstring());
    EXPECT_EQ(stream.Size(), 0);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace tk
