// TSkinData: the component a program places on its main form to have its windows skinned. It
// holds the skin package (streamed with the form as the binary property SkinStream, or read
// from SkinFile), builds the skin model from it while the form is read, and in Loaded hands
// itself to the skin manager, which from then on skins the windows by itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bitmap.h"
#include "control.h"
#include "image_list.h"
#include "skin_model.h"
#include "streams.h"
#include "string_list.h"

namespace skin {

// Bit numbers of SkinControls.
enum TSkinControlType : unsigned {
    xcMainMenu, xcPopupMenu, xcMenuItem, xcToolbar, xcControlbar, xcCombo, xcCheckBox, xcRadioButton,
    xcProgress, xcScrollbar, xcEdit, xcButton, xcBitBtn, xcSpeedButton, xcSpin, xcPanel,
    xcGroupBox, xcStatusBar, xcTab, xcTrackBar, xcSystemMenu, xcFastReport
};
using TSkinControlTypes = uint32_t;

// Bit numbers of Options.
enum TSkinOption : unsigned {
    xoMDIScrollbar, xoMenuMerge, xoTransparent, xoPreview, xoParentBackGround, xoNoFocusRect,
    xoToolbarBK, xoMDIChildBorder, xoMenuBG, xoFormScrollbar
};
using TSkinOptions = uint16_t;

enum class TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

constexpr uint32_t SetBit(unsigned member) { return 1u << member; }

constexpr TSkinControlTypes kDefaultSkinControls = 0x1FFFFB;  // all but xcMenuItem, xcFastReport
constexpr TSkinOptions kDefaultOptions = SetBit(xoPreview) | SetBit(xoToolbarBK);
inline const std::wstring kSkinDataVersion = L"4.42.12.06";

class TSkinData;
using TOnFormSkin = std::function<void(tk::TObject* sender, const std::wstring& className, bool& doSkin)>;
using TOnSkinControl = std::function<void(tk::TComponent* sender, TSkinData* skinData, tk::TControl* form,
                                          tk::TControl* control, const std::wstring& controlClass,
                                          tk::TComponent*& skinnedControl)>;
using TOnSkinForm = std::function<void(tk::TObject* sender, HWND window, const std::wstring& className)>;

// Appends the default Skin3rd lines (124, three of them repeated).
void AddDefaultSkin3rd(tk::TStrings& list);

class TSkinData : public tk::TComponent, public SkinModel {
    TK_CLASS(TSkinData)
public:
    explicit TSkinData(tk::TComponent* owner);
    ~TSkinData() override;

    // ---- published -----------------------------------------------------------------------
    bool Active() const { return active_; }
    void SetActive(bool value);
    int DisableTag() const { return disableTag_; }
    void SetDisableTag(int tag) { disableTag_ = tag; }
    TSkinControlTypes SkinControls() const { return skinControls_; }
    void SetSkinControls(TSkinControlTypes controls) { skinControls_ = controls; }
    TSkinOptions Options() const { return options_; }
    void SetOptions(TSkinOptions options) { options_ = options; }
    tk::TStrings* Skin3rd() const { return skin3rd_.get(); }
    void SetSkin3rd(tk::TStrings* list) { skin3rd_->Assign(list); }
    std::wstring SkinFile() const { return skinFile_; }
    void SetSkinFile(const std::wstring& name);
    // "(none)": there is no form designer to show "(Good)" in. Writing it is ignored.
    std::wstring SkinStore() const { return L"(none)"; }
    void SetSkinStore(const std::wstring&) {}
    TSkinFormType SkinFormtype() const { return formType_; }
    void SetSkinFormtype(TSkinFormType type) { formType_ = type; }
    std::wstring Version() const { return version_; }
    void SetVersion(const std::wstring&) {}  // the version is the component's own
    bool MenuUpdate() const { return menuUpdate_; }
    void SetMenuUpdate(bool value) { menuUpdate_ = value; }
    bool MenuMerge() const { return menuMerge_; }
    void SetMenuMerge(bool value) { menuMerge_ = value; }

    TOnFormSkin OnFormSkin;
    tk::TNotifyEvent OnSkinChanged;
    TOnSkinControl OnSkinControl;
    TOnSkinForm OnBeforeSkinForm;
    TOnSkinForm OnAfterSkinForm;

    // ---- streaming and loading -------------------------------------------------------------
    void DefineProperties(tk::TFiler& filer) override;
    // An int32 length n, then n package bytes. n <= 0 changes nothing. EReadError, before
    // anything is allocated, when fewer than n bytes follow.
    void ReadSkinStream(tk::TStream& stream);
    void WriteSkinStream(tk::TStream& stream);
    // Unpacks SkinStream and reads the model; false when the package cannot be opened.
    bool LoadSkin();
    void Loaded() override;
    // Has the manager re-apply a newly loaded skin to the windows already skinned.
    void ApplySkinChange();

    // Asked before a top-level window of class className is skinned; doSkin comes in set.
    void QueryFormSkin(HWND window, const std::wstring& className, bool& doSkin);
    void NotifySkinChanged();
    // AppIcon := the application window's icon at small-icon size, magenta-keyed.
    void TakeApplicationIcon();

    tk::TMemoryStream SkinStream;  // the package bytes
    tk::TImageList* MenuImages() const { return menuImages_.get(); }
    tk::TBitmap AppIcon;
    // Whether skinned frames paint their non-client area: the form skinner clears it only while
    // the previous window procedure handles CM_MENUCHANGED, whose native repaint must stand.
    bool NcPaintEnabled = true;

private:
    bool Designing() const { return (ComponentState() & tk::csDesigning) != 0; }

    bool active_ = false;
    int disableTag_ = 99;
    TSkinControlTypes skinControls_ = kDefaultSkinControls;
    TSkinOptions options_ = kDefaultOptions;
    std::unique_ptr<tk::TStringList> skin3rd_;
    std::wstring skinFile_;
    TSkinFormType formType_ = TSkinFormType::sfMainform;
    std::wstring version_ = kSkinDataVersion;
    bool menuUpdate_ = true;
    bool menuMerge_ = false;
    std::unique_ptr<tk::TImageList> menuImages_;
};

}  // namespace skin
