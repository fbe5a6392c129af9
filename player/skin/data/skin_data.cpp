#include "skin_data.h"

#include "exceptions.h"
#include "form.h"
#include "optional_user32.h"
#include "published_properties.h"
#include "quick_ini.h"
#include "skin_manager_seam.h"
#include "skin_reader.h"

namespace skin {
namespace {

constexpr int kActionDelayMs = 250;

template <class T, class S>
void PublishSet(tk::ClassInfo& c, const wchar_t* name, std::initializer_list<const wchar_t*> members,
                S (T::*get)() const, void (T::*set)(S)) {
    tk::PropInfo p;
    p.name = name;
    p.kind = tk::PropKind::Set;
    for (const wchar_t* m : members) p.identifiers.emplace_back(m);
    p.getOrd = [get](tk::TObject& o) { return static_cast<int>((static_cast<T&>(o).*get)()); };
    p.setOrd = [set](tk::TObject& o, int v) { (static_cast<T&>(o).*set)(static_cast<S>(static_cast<uint32_t>(v))); };
    c.AddProperty(std::move(p));
}

}  // namespace

TK_CLASS_INFO(TSkinData, tk::TComponent, {
    tk::PublishBool<Self>(c, L"Active", &Self::Active, &Self::SetActive);
    tk::PublishInteger<Self>(c, L"DisableTag", &Self::DisableTag, &Self::SetDisableTag);
    PublishSet<Self, TSkinControlTypes>(
        c, L"SkinControls",
        {L"xcMainMenu", L"xcPopupMenu", L"xcMenuItem", L"xcToolbar", L"xcControlbar", L"xcCombo", L"xcCheckBox",
         L"xcRadioButton", L"xcProgress", L"xcScrollbar", L"xcEdit", L"xcButton", L"xcBitBtn", L"xcSpeedButton",
         L"xcSpin", L"xcPanel", L"xcGroupBox", L"xcStatusBar", L"xcTab", L"xcTrackBar", L"xcSystemMenu",
         L"xcFastReport"},
        &Self::SkinControls, &Self::SetSkinControls);
    PublishSet<Self, TSkinOptions>(c, L"Options",
                                   {L"xoMDIScrollbar", L"xoMenuMerge", L"xoTransparent", L"xoPreview",
                                    L"xoParentBackGround", L"xoNoFocusRect", L"xoToolbarBK", L"xoMDIChildBorder",
                                    L"xoMenuBG", L"xoFormScrollbar"},
                                   &Self::Options, &Self::SetOptions);
    tk::PublishObject<Self, tk::TStrings>(c, L"Skin3rd", &Self::Skin3rd);
    tk::PublishString<Self>(c, L"SkinFile", &Self::SkinFile, &Self::SetSkinFile);
    tk::PublishString<Self>(c, L"SkinStore", &Self::SkinStore, &Self::SetSkinStore);
    tk::PublishEnum<Self, TSkinFormType>(c, L"SkinFormtype", {L"sfMainform", L"sfOnlyThisForm", L"sfDialog", L"sfDLL"},
                                         &Self::SkinFormtype, &Self::SetSkinFormtype);
    tk::PublishString<Self>(c, L"Version", &Self::Version, &Self::SetVersion);
    tk::PublishBool<Self>(c, L"MenuUpdate", &Self::MenuUpdate, &Self::SetMenuUpdate);
    tk::PublishBool<Self>(c, L"MenuMerge", &Self::MenuMerge, &Self::SetMenuMerge);
})

TSkinData::TSkinData(tk::TComponent* owner)
    : tk::TComponent(owner), skin3rd_(std::make_unique<tk::TStringList>()),
      menuImages_(std::make_unique<tk::TImageList>(nullptr)) {
    AddDefaultSkin3rd(*skin3rd_);
    try {
        menuImages_->LoadFromResource(GetModuleHandleW(nullptr), L"GLAZELMENU", 16, tk::clWhite);
    } catch (const tk::EInvalidGraphic&) {
        // A program without the skin's built-in bitmaps: only the system menu loses its glyphs.
    }
}

TSkinData::~TSkinData() {
    menuImages_.reset();
    skin3rd_.reset();
    if (ISkinManager* manager = SkinManager()) manager->UnregisterSkinData(this);
}

void TSkinData::DefineProperties(tk::TFiler& filer) {
    tk::TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        L"SkinStream", [this](tk::TStream& s) { ReadSkinStream(s); }, [this](tk::TStream& s) { WriteSkinStream(s); },
        true);
}

void TSkinData::ReadSkinStream(tk::TStream& stream) {
    int32_t length = 0;
    stream.ReadBuffer(&length, sizeof length);
    if (length <= 0) return;
    // A damaged length must not become a huge allocation: the bytes have to be there first.
    if (stream.Size() - stream.Position() < length) throw tk::EReadError(L"Stream read error");
    SkinStream.Clear();
    SkinStream.CopyFrom(stream, length);
    SkinStream.SetPosition(0);
    if (!Designing()) LoadSkin();
}

void TSkinData::WriteSkinStream(tk::TStream& stream) {
    const int32_t length = static_cast<int32_t>(SkinStream.Size());
    stream.WriteBuffer(&length, sizeof length);
    if (length > 0) stream.WriteBuffer(SkinStream.Memory(), static_cast<size_t>(length));
}

bool TSkinData::LoadSkin() {
    NoSkin = true;
    if (Designing()) return false;
    TSkinReader reader;
    tk::TMemoryStream buffer;
    SkinStream.SetPosition(0);
    if (!reader.OpenPackage(SkinStream)) return false;
    TQuickIni ini;
    std::string iniName;
    reader.ExtractContaining(".ini", buffer, iniName);
    buffer.SetPosition(0);
    ini.LoadFromStream(&buffer);
    ReadSkinIni(ini, reader, buffer);
    return true;
}

void TSkinData::SetSkinFile(const std::wstring& name) {
    NoSkin = true;
    skinFile_ = name;
    if (Designing()) {
        if (!name.empty()) SkinStream.Clear();
        return;
    }
    const DWORD attributes = name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    SkinStream.Clear();
    try {
        SkinStream.LoadFromFile(name);
    } catch (const tk::EFOpenError&) {
        return;  // gone or unreadable since it was seen: as if it did not exist
    }
    LoadSkin();
    ApplySkinChange();
}

void TSkinData::ApplySkinChange() {
    if (Designing() || Reading()) return;
    if (SkinManager() == nullptr) Loaded();
    ISkinManager& manager = EnsureSkinManager();
    manager.SetPendingSkinData(this);
    manager.RefreshFormsOfSkinData(this);
    if (manager.ActivationState() == 1) manager.RequestAction(SkinAction::Refresh, kActionDelayMs);
}

void TSkinData::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (Designing() || Reading()) return;  // Loaded acts on the streamed value
    if (formType_ == TSkinFormType::sfDialog || formType_ == TSkinFormType::sfDLL) return;
    // A component made in code was never loaded and has no manager yet.
    if (SkinManager() == nullptr) Loaded();
    ISkinManager& manager = EnsureSkinManager();
    if (formType_ == TSkinFormType::sfMainform) {
        if (value) {
            if (NoSkin) return;
            manager.SetPendingSkinData(this);
            manager.RequestAction(SkinAction::Skin, kActionDelayMs);
            manager.SetActivationState(1);
        } else {
            manager.SetPendingSkinData(this);
            manager.RequestAction(SkinAction::Unskin, kActionDelayMs);
        }
        return;
    }
    manager.SetPendingSkinData(this);
    if (value && NoSkin) return;
    manager.RequestAction(value ? SkinAction::Skin : SkinAction::Unskin, kActionDelayMs);
}

void TSkinData::Loaded() {
    tk::TComponent::Loaded();
    if (Designing()) return;
    if (OptionalUser32Functions().getScrollBarInfo == nullptr) skinControls_ &= ~SetBit(xcScrollbar);
    ISkinManager& manager = EnsureSkinManager();
    manager.RegisterSkinData(this);
    if (formType_ == TSkinFormType::sfMainform) {
        manager.InstallHook();
        if (active_) {
            if (NoSkin)
                active_ = false;
            else
                manager.RequestAction(SkinAction::Skin, kActionDelayMs);
        }
        if ((skinControls_ & SetBit(xcMainMenu)) != 0)
            skinControls_ &= ~SetBit(xcMenuItem);
        else
            skinControls_ &= ~SetBit(xcSystemMenu);
        TakeApplicationIcon();
        return;
    }
    manager.SetSkinning(true);
    manager.SetActivationState(manager.ActivationState() + 1);
    if (auto* form = tk::DynamicCast<tk::TForm>(Owner()); form != nullptr && active_) manager.SkinForm(form->Handle());
}

void TSkinData::QueryFormSkin(HWND, const std::wstring& className, bool& doSkin) {
    if (OnFormSkin) {
        OnFormSkin(this, className, doSkin);
        return;
    }
    if (className == L"SysMonthCal32") doSkin = false;
    else if ((skinControls_ & SetBit(xcFastReport)) != 0 && className.rfind(L"Tfr", 0) == 0)
        doSkin = false;
}

void TSkinData::NotifySkinChanged() {
    if (OnSkinChanged) OnSkinChanged(this);
}

}  // namespace skin
