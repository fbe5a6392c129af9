#include <gtest/gtest.h>

#include <algorithm>

#include "skin_data_fixture.h"

namespace skin::testing {

TK_CLASS_INFO(TSkinHost, tk::TComponent)

std::vector<uint8_t> ResourceBytes(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (info == nullptr) return {};
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
    return std::vector<uint8_t>(data, data + SizeofResource(module, info));
}

std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& package) {
    const auto n = static_cast<uint32_t>(package.size());
    std::vector<uint8_t> payload(4 + package.size());
    for (int i = 0; i < 4; ++i) payload[i] = static_cast<uint8_t>(n >> (8 * i));  // little-endian length
    std::copy(package.begin(), package.end(), payload.begin() + 4);
    return payload;
}

StreamedSkin StreamSkin(const std::vector<uint8_t>* payload, TSkinControlTypes controls) {
    StreamedSkin s;
    s.host = std::make_unique<TSkinHost>();
    tk::FormLoader load(*s.host, [payload](const std::string& name, const uint8_t*& data, size_t& size) {
        if (payload == nullptr || name != "TSKINHOST_SKINDATA1_SKINSTREAM") return false;
        data = payload->data();
        size = payload->size();
        return true;
    });
    s.data = load.Create<TSkinData>(L"SkinData1");
    s.data->SetActive(true);
    s.data->SetSkinControls(controls);
    load.ReadBinaryProperties();
    load.Finish();
    return s;
}

StreamedSkin StreamTestSkin(const char* resource) {
    const std::vector<uint8_t> payload = ResourceBytes(resource);
    EXPECT_FALSE(payload.empty()) << resource;
    return StreamSkin(&payload);
}

uint32_t PixelAt(tk::TBitmap& bitmap, int x, int y) {
    return static_cast<uint32_t>(GetPixel(bitmap.Canvas().Handle(), x, y));
}

std::vector<std::string>& RecordingSkinManager::Log() {
    static std::vector<std::string> log;
    return log;
}

void SkinDataTest::SetUp() {
    ResetSkinManager();
    SetSkinManagerFactory([] { return std::make_unique<RecordingSkinManager>(); });
    Log().clear();
}

void SkinDataTest::TearDown() {
    ResetSkinManager();
    SetSkinManagerFactory({});
}

}  // namespace skin::testing
