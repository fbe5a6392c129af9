// What the skin data and model tests share: the embedded test skins, a form-like root that
// streams a TSkinData through the form loader as the player's form does, and a skin manager
// double that records what the component asks of it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bitmap.h"
#include "component.h"
#include "form_loader.h"
#include "skin_data.h"
#include "skin_manager_seam.h"

namespace skin::testing {

// The bytes of an RCDATA resource of the test program (the .blob payloads and .skin packages
// of the test assets); empty when there is none.
std::vector<uint8_t> ResourceBytes(const char* name);
// The form payload of a bare package: its length as int32, then its bytes.
std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& package);

// Stands for a form: the root whose class name prefixes the binary property's resource name.
class TSkinHost : public tk::TComponent {
    TK_CLASS(TSkinHost)
public:
    TSkinHost() : tk::TComponent(nullptr) {}
};

// A host holding SkinData1 with the player's designer values (Active, SkinControls 0xFFFFB),
// streamed with payload as its SkinStream (none when payload is nullptr), then Finish-ed.
struct StreamedSkin {
    std::unique_ptr<TSkinHost> host;
    TSkinData* data = nullptr;
};
StreamedSkin StreamSkin(const std::vector<uint8_t>* payload, TSkinControlTypes controls = 0xFFFFB);
// The same with an embedded test skin's payload (e.g. "FLAT_FRAME").
StreamedSkin StreamTestSkin(const char* resource);

// A pixel as GetPixel gives it (COLORREF).
uint32_t PixelAt(tk::TBitmap& bitmap, int x, int y);

// Records every call as a line ("RequestAction 1 250") for the test to compare.
class RecordingSkinManager : public NullSkinManager {
public:
    static std::vector<std::string>& Log();
    void RegisterSkinData(TSkinData*) override { Log().push_back("RegisterSkinData"); }
    void UnregisterSkinData(TSkinData*) override { Log().push_back("UnregisterSkinData"); }
    void InstallHook() override { Log().push_back("InstallHook"); }
    void SetPendingSkinData(TSkinData*) override { Log().push_back("SetPendingSkinData"); }
    void RequestAction(SkinAction action, int delayMs) override {
        Log().push_back("RequestAction " + std::to_string(static_cast<int>(action)) + " " + std::to_string(delayMs));
    }
    int ActivationState() const override { return activation_; }
    void SetActivationState(int state) override {
        activation_ = state;
        Log().push_back("SetActivationState " + std::to_string(state));
    }
    void SetSkinning(bool on) override { Log().push_back(on ? "SetSkinning 1" : "SetSkinning 0"); }
    void SkinForm(HWND) override { Log().push_back("SkinForm"); }
    void RefreshFormsOfSkinData(TSkinData*) override { Log().push_back("RefreshFormsOfSkinData"); }

private:
    int activation_ = 0;
};

// Each case starts without a manager; the recording one is made on first need.
class SkinDataTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::vector<std::string>& Log() { return RecordingSkinManager::Log(); }
};

}  // namespace skin::testing
