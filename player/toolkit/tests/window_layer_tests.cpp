// The window layer: Win32 class names, the ControlOfs property, the two-level dispatch with a
// replaceable WindowProc, subclass tolerance, callable instances and the error guard.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bit_btn.h"
#include "check_box.h"
#include "group_box.h"
#include "spin_edit.h"
#include "exceptions.h"
#include "control_atom.h"
#include "control_atom_name.h"
#include "gui_test_environment.h"
#include "object_instance.h"
#include "page_control.h"
#include "panel.h"
#include "status_bar.h"
#include "text_convert.h"
#include "tree_view.h"

namespace tk {
namespace {
using testing_support::ReportedErrors;
using testing_support::TTestForm;

constexpr UINT kProbe = WM_APP + 0x50;
std::vector<std::string> g_trace;

// Records the levels a probe message passes through.
template <class Base>
class Traced : public Base {
public:
    using Base::Base;
    bool throwOnProbe = false;
    UINT firstMessage = 0;
    HANDLE propertyAtFirstMessage = nullptr;

protected:
    void WndProc(TMessage& message) override {
        if (firstMessage == 0) {
            firstMessage = message.Msg;
            propertyAtFirstMessage = GetPropA(this->Handle(), MAKEINTATOM(ControlAtom()));
        }
        if (message.Msg == kProbe) {
            g_trace.push_back("WndProc");
            if (throwOnProbe) throw EInvalidOperation(L"probe failed");
        }
        Base::WndProc(message);
    }
    void DefaultHandler(TMessage& message) override {
        if (message.Msg == kProbe) g_trace.push_back("default");
        Base::DefaultHandler(message);
    }
};

WNDPROC g_previousProc = nullptr;
LRESULT CALLBACK RecordingSubclass(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == kProbe) g_trace.push_back("subclass");
    return CallWindowProcA(g_previousProc, window, msg, wparam, lparam);
}

struct Hook {
    TWndMethod saved;
    void Handle(TMessage& message) {
        if (message.Msg == kProbe) g_trace.push_back("hook");
        saved(message);
    }
};

class WindowLayer : public testing::Test {
protected:
    void SetUp() override {
        g_trace.clear();
        ReportedErrors().clear();
        form.reset(TCustomForm::Create<TTestForm>(nullptr));
        form->SetBounds(0, 0, 400, 300);
    }
    std::unique_ptr<TTestForm> form;
};

template <class C>
C* Make(TWinControl* parent) {
    auto* control = new C(parent->Owner() != nullptr ? parent->Owner() : parent);
    control->SetParent(parent);
    return control;
}

TEST_F(WindowLayer, WindowClassNamesInstanceAndControlProperty) {
    std::vector<TWinControl*> controls = {form.get(), Make<TPanel>(form.get()), Make<TButton>(form.get()),
                                          Make<TBitBtn>(form.get()), Make<TTreeView>(form.get()),
                                          Make<TStatusBar>(form.get()), Make<TCheckBox>(form.get()),
                                          Make<TRadioButton>(form.get()), Make<TGroupBox>(form.get()),
                                          Make<TEdit>(form.get()), Make<TSpinEdit>(form.get()),
                                          Make<TPageControl>(form.get())};
    auto* sheet = new TTabSheet(form.get());
    sheet->SetPageControl(static_cast<TPageControl*>(controls.back()));
    controls.push_back(sheet);
    char atomName[64] = {};
    GlobalGetAtomNameA(ControlAtom(), atomName, sizeof atomName);
    EXPECT_EQ(std::string(atomName),
              ControlAtomName(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)), GetCurrentThreadId()));
    for (TWinControl* control : controls) {
        HWND window = control->Handle();
        std::string expected = WideToUtf8(control->ClassName());
        SCOPED_TRACE(expected);
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        EXPECT_EQ(std::string(className), expected);
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), GetModuleHandleA(nullptr));
        EXPECT_FALSE(IsWindowUnicode(window));
        EXPECT_EQ(GetPropA(window, MAKEINTATOM(ControlAtom())), reinterpret_cast<HANDLE>(control));
        EXPECT_EQ(ControlOfWindow(window), control);
    }
}

TEST_F(WindowLayer, PropertyIsThereAtTheFirstMessageAndGoneAfterDestroy) {
    auto* traced = TCustomForm::Create<Traced<TTestForm>>(nullptr);
    HWND window = traced->Handle();
    EXPECT_NE(traced->firstMessage, 0u);
    EXPECT_EQ(traced->propertyAtFirstMessage, reinterpret_cast<HANDLE>(static_cast<TWinControl*>(traced)));
    delete traced;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ControlOfWindow(window), nullptr);
}

TEST_F(WindowLayer, ApplicationWindowIsHiddenWithoutPropertyAndHasIcons) {
    HWND app = Application->Handle();
    char className[64] = {};
    GetClassNameA(app, className, sizeof className);
    EXPECT_STREQ(className, "TApplication");
    RECT r;
    GetWindowRect(app, &r);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);
    EXPECT_FALSE(IsWindowVisible(app));
    EXPECT_EQ(GetPropA(app, MAKEINTATOM(ControlAtom())), nullptr);
    EXPECT_NE(SendMessageA(app, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(SendMessageA(app, WM_GETICON, ICON_BIG, 0), 0);
}

// Runs the subclass/hook scenario on an own-class control and on a superclassed one.
template <class C>
void CheckDispatchChain(TWinControl* parent) {
    auto* control = Make<Traced<C>>(parent);
    HWND window = control->Handle();
    WNDPROC layerProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    EXPECT_EQ(layerProc, &TWinControl::StdWndProc);

    g_previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingSubclass)));
    Hook hook{control->WindowProc()};
    control->SetWindowProc(MakeWndMethod<Hook, &Hook::Handle>(&hook));

    g_trace.clear();
    SendMessageA(window, kProbe, 0, 0);
    EXPECT_EQ(g_trace, (std::vector<std::string>{"subclass", "hook", "WndProc", "default"}));

    // Layer work must not touch the Win32 procedure that someone else installed.
    control->SetVisible(false);
    control->SetVisible(true);
    control->SetEnabled(false);
    control->SetEnabled(true);
    control->SetBounds(1, 2, 50, 40);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), &RecordingSubclass);

    // Non-LIFO removal: the Win32 subclass goes first, the hook stays.
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previousProc));
    g_trace.clear();
    SendMessageA(window, kProbe, 0, 0);
    EXPECT_EQ(g_trace, (std::vector<std::string>{"hook", "WndProc", "default"}));

    control->SetWindowProc(hook.saved);
    EXPECT_TRUE(control->WindowProc() == control->DefaultWindowProc());
    g_trace.clear();
    SendMessageA(window, kProbe, 0, 0);
    EXPECT_EQ(g_trace, (std::vector<std::string>{"WndProc", "default"}));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), layerProc);
}

TEST_F(WindowLayer, DispatchChainWithSubclassAndHookOnOwnAndSuperclassedControls) {
    {
        SCOPED_TRACE("TPanel");
        CheckDispatchChain<TPanel>(form.get());
    }
    {
        SCOPED_TRACE("TTreeView");
        CheckDispatchChain<TTreeView>(form.get());
    }
}

TEST_F(WindowLayer, ErrorInHandlerReachesTheReportAndTheWindowGoesOn) {
    auto* panel = Make<Traced<TPanel>>(form.get());
    panel->throwOnProbe = true;
    SendMessageA(panel->Handle(), kProbe, 0, 0);
    ASSERT_EQ(ReportedErrors().size(), 1u);
    EXPECT_EQ(ReportedErrors()[0], L"probe failed");
    panel->throwOnProbe = false;
    g_trace.clear();
    SendMessageA(panel->Handle(), kProbe, 0, 0);
    EXPECT_EQ(g_trace, (std::vector<std::string>{"WndProc", "default"}));
}

struct Target {
    int index;
    static LRESULT __stdcall Proc(void* object, HWND, UINT msg, WPARAM, LPARAM) {
        return static_cast<Target*>(object)->index * 10 + static_cast<LRESULT>(msg);
    }
};

TEST_F(WindowLayer, TenThousandCallableInstancesReachTheirObjects) {
    std::vector<Target> targets(10000);
    std::vector<WNDPROC> instances;
    for (int i = 0; i < 10000; ++i) {
        targets[i].index = i;
        instances.push_back(MakeObjectInstance(&targets[i], &Target::Proc));
        ASSERT_NE(instances.back(), nullptr);
    }
    for (int i = 0; i < 10000; i += 997)
        EXPECT_EQ(CallWindowProcA(instances[i], nullptr, 3, 0, 0), i * 10 + 3);
    for (WNDPROC instance : instances) FreeObjectInstance(instance);
}

TEST_F(WindowLayer, OwnedControlFreedByOtherLeavesOwnerAndParent) {
    auto* panel = Make<TPanel>(form.get());
    HWND window = panel->Handle();
    int components = form->ComponentCount(), controls = form->ControlCount();
    delete panel;
    EXPECT_EQ(form->ComponentCount(), components - 1);
    EXPECT_EQ(form->ControlCount(), controls - 1);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace tk
