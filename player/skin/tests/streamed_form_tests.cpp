// A toolkit form built the way the player builds its main form: SkinData1 streamed through the
// form loader with a stored skin package, the real skin manager and form skinner installed first.
// The component installs the hook while the form is read; the form is skinned at its first
// activation, once, and not before.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "form.h"
#include "form_loader.h"
#include "form_skinner_seam.h"
#include "install_skin_manager.h"
#include "skin_data.h"
#include "skin_data_fixture.h"
#include "skin_manage.h"
#include "win_skin_form.h"

namespace skin {
namespace {

class TStreamedForm : public tk::TForm {
public:
    TStreamedForm(tk::TComponent* owner, const std::vector<uint8_t>& payload) : tk::TForm(owner) {
        tk::FormLoader load(*this, [&payload](const std::string& name, const uint8_t*& data, size_t& size) {
            const std::string property = "_SKINDATA1_SKINSTREAM";
            if (name.size() < property.size() || name.compare(name.size() - property.size(), property.size(), property) != 0)
                return false;
            data = payload.data();
            size = payload.size();
            return true;
        });
        SetBounds(240, 180, 360, 260);
        SkinData1 = load.Create<TSkinData>(L"SkinData1");
        SkinData1->SetActive(true);
        SkinData1->SetSkinControls(0xFFFFB);
        load.ReadBinaryProperties();
        load.Finish();
    }
    TSkinData* SkinData1;
};

// Counts what reaches the form's own window procedure.
struct AppliedCounter {
    tk::TWndMethod old;
    int applied = 0;
    void Proc(tk::TMessage& m) {
        if (m.Msg == SKIN_APPLIED && m.LParam == kSkinMagic) ++applied;
        old(m);
    }
};

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

TEST(StreamedForm, HookComesWithTheFormAndTheFormIsSkinnedOnceAtItsFirstActivation) {
    ResetSkinManager();
    InstallSkinManager(MakeFormSkinner);
    const std::vector<uint8_t> payload = testing::ResourceBytes("FLAT_FRAME");
    ASSERT_FALSE(payload.empty());
    auto* form = tk::TCustomForm::Create<TStreamedForm>(nullptr, payload);

    auto* manager = dynamic_cast<TSkinManage*>(SkinManager());
    ASSERT_NE(manager, nullptr);
    EXPECT_NE(manager->HookHandle(), nullptr);
    EXPECT_TRUE(form->SkinData1->Active());

    HWND window = form->Handle();
    AppliedCounter counter{form->WindowProc()};
    form->SetWindowProc(tk::MakeWndMethod<AppliedCounter, &AppliedCounter::Proc>(&counter));
    PumpFor(400);  // the component's deferred request runs; nothing is shown yet
    EXPECT_EQ(SendMessageW(window, SKIN_QUERY, 0, 0), 0) << "skinned before its first activation";
    EXPECT_TRUE(manager->FormSkinners().empty());

    form->Show();
    PumpFor(600);
    EXPECT_EQ(counter.applied, 1);
    ASSERT_EQ(manager->FormSkinners().size(), 1u);
    EXPECT_EQ(manager->FormSkinners()[0]->WindowHandle(), window);
    EXPECT_EQ(manager->FormSkinners()[0]->SkinState(), ssSkinned);

    // A second activation finds the window skinned (the manager's SKIN_QUERY, whose answer posts
    // one more SKIN_APPLIED); no second skinner is made.
    SetForegroundWindow(GetDesktopWindow());
    form->Show();
    PumpFor(300);
    EXPECT_EQ(manager->FormSkinners().size(), 1u);
    EXPECT_EQ(SendMessageW(window, SKIN_QUERY, 0, 0), 1);

    form->SetWindowProc(counter.old);
    delete form;
    EXPECT_TRUE(manager->FormSkinners().empty()) << "the form's skinner went with the form";
    ResetSkinManager();
    SetSkinManagerFactory({});
}

}  // namespace
}  // namespace skin
