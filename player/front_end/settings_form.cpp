#include "settings_form.h"

#include "connection_values.h"
#include "main_form.h"
#include "player_texts.h"

namespace zentavo {

TForm4* Form4 = nullptr;

TK_CLASS_INFO(TForm4, tk::TForm)

namespace {
// Every connection setting lives in a section of its own, under a key of the same name.
std::wstring ReadSetting(const wchar_t* name) {
    return SettingsIni != nullptr ? SettingsIni->ReadString(name, name, L"") : std::wstring();
}

void WriteSetting(const wchar_t* name, const std::wstring& value) {
    if (SettingsIni != nullptr) SettingsIni->WriteString(name, name, value);
}

// The spin edits only step with their buttons; a handler may correct the value it is told about.
void Bound(tk::TSpinEdit* edit, int (*rule)(const std::wstring&)) {
    int value = rule(edit->Text());
    if (edit->Text() != std::to_wstring(value)) edit->SetValue(value);
}
}  // namespace

TForm4::TForm4(tk::TComponent* owner) : TForm(owner) {
    tk::FormLoader load(*this);
    SetCaption(kSettingsCaption);
    SetBorderStyle(tk::TFormBorderStyle::bsSingle);
    SetBorderIcons(tk::biSystemMenu);
    SetPosition(tk::TPosition::poMainFormCenter);
    SetClientWidth(365);
    SetClientHeight(313);
    CreateComponents(load);
    BindHandlers();
    load.ReadBinaryProperties();
    load.Finish();
}

void TForm4::CreateComponents(tk::FormLoader& load) {
    auto label = [&](const wchar_t* name, tk::TWinControl* parent, const wchar_t* caption, int x, int y) {
        auto* created = load.Create<tk::TLabel>(name);
        created->SetParent(parent);
        created->SetBounds(x, y, 120, 13);
        created->SetCaption(caption);
        return created;
    };
    auto spin = [&](const wchar_t* name, tk::TWinControl* parent, int x, int y, int designValue) {
        auto* created = load.Create<tk::TSpinEdit>(name);
        created->SetParent(parent);
        created->SetBounds(x, y, 65, 22);
        created->SetEditorEnabled(false);
        created->SetIncrement(1);
        created->SetValue(designValue);
        return created;
    };
    auto radio = [&](const wchar_t* name, const wchar_t* caption, int x, int y) {
        auto* created = load.Create<tk::TRadioButton>(name);
        created->SetParent(GroupBox1);
        created->SetBounds(x, y, 100, 17);
        created->SetCaption(caption);
        return created;
    };
    auto check = [&](const wchar_t* name, const wchar_t* caption, int x, int y) {
        auto* created = load.Create<tk::TCheckBox>(name);
        created->SetParent(GroupBox2);
        created->SetBounds(x, y, 150, 17);
        created->SetCaption(caption);
        created->SetChecked(true);
        return created;
    };

    // Created from top to bottom, which is also the tab order.
    Label1 = label(L"Label1", this, kPortHeader, 16, 12);
    Label2 = label(L"Label2", this, kUdpPortLabel, 24, 38);
    Label2->SetWidth(56);
    SpinEdit1 = spin(L"SpinEdit1", this, 82, 34, 6171);
    Label3 = label(L"Label3", this, kTcpPortLabel, 190, 38);
    Label3->SetWidth(56);
    SpinEdit2 = spin(L"SpinEdit2", this, 248, 34, 3040);
    Label4 = label(L"Label4", this, kConnectionHeader, 16, 70);

    GroupBox1 = load.Create<tk::TGroupBox>(L"GroupBox1");
    GroupBox1->SetParent(this);
    GroupBox1->SetBounds(16, 90, 333, 70);
    GroupBox1->SetCaption(kNetworkTypeGroup);
    RadioButton1 = radio(L"RadioButton1", kNetworkAdsl512k, 12, 20);
    RadioButton2 = radio(L"RadioButton2", kNetworkAdsl2m, 120, 20);
    RadioButton3 = radio(L"RadioButton3", kNetworkEstate, 228, 20);
    RadioButton4 = radio(L"RadioButton4", kNetworkAdsl1m, 12, 44);
    RadioButton5 = radio(L"RadioButton5", kNetworkEducation, 120, 44);
    RadioButton6 = radio(L"RadioButton6", kNetworkOther, 228, 44);
    RadioButton3->SetChecked(true);

    GroupBox2 = load.Create<tk::TGroupBox>(L"GroupBox2");
    GroupBox2->SetParent(this);
    GroupBox2->SetBounds(16, 168, 333, 100);
    Label5 = label(L"Label5", GroupBox2, kChannelLimitLabel, 12, 20);
    Label5->SetWidth(190);
    SpinEdit3 = spin(L"SpinEdit3", GroupBox2, 250, 16, 30);
    Label6 = label(L"Label6", GroupBox2, kOutgoingLimitLabel, 12, 48);
    Label6->SetWidth(190);
    SpinEdit4 = spin(L"SpinEdit4", GroupBox2, 250, 44, 30);
    CheckBox1 = check(L"CheckBox1", kUpnpSwitch, 12, 76);
    CheckBox2 = check(L"CheckBox2", kLiftLimitSwitch, 170, 76);

    Button1 = load.Create<tk::TButton>(L"Button1");
    Button1->SetParent(this);
    Button1->SetBounds(190, 278, 75, 25);
    Button1->SetCaption(kOkButton);
    Button1->SetDefault(true);
    Button2 = load.Create<tk::TButton>(L"Button2");
    Button2->SetParent(this);
    Button2->SetBounds(274, 278, 75, 25);
    Button2->SetCaption(kCancelButton);
    Button2->SetCancel(true);
}

void TForm4::BindHandlers() {
    OnCreate = [this](tk::TObject*) { FormCreate(); };
    SpinEdit1->OnChange = [this](tk::TObject*) { SpinEdit1Change(); };
    SpinEdit2->OnChange = [this](tk::TObject*) { SpinEdit2Change(); };
    SpinEdit3->OnChange = [this](tk::TObject*) { SpinEdit3Change(); };
    SpinEdit4->OnChange = [this](tk::TObject*) { SpinEdit4Change(); };
    Button1->OnClick = [this](tk::TObject*) { Button1Click(); };
    Button2->OnClick = [this](tk::TObject*) { Button2Click(); };
}

void TForm4::SpinEdit1Change() { Bound(SpinEdit1, PortValue); }
void TForm4::SpinEdit2Change() { Bound(SpinEdit2, PortValue); }
void TForm4::SpinEdit3Change() { Bound(SpinEdit3, LimitValue); }
void TForm4::SpinEdit4Change() { Bound(SpinEdit4, LimitValue); }

tk::TRadioButton* TForm4::NetworkTypeButton(int type) const {
    tk::TRadioButton* buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5, RadioButton6};
    return type >= 1 && type <= 6 ? buttons[type - 1] : nullptr;
}

int TForm4::CheckedNetworkType() const {
    for (int type = 1; type <= 6; ++type)
        if (NetworkTypeButton(type)->Checked()) return type;
    return kDefaultNetworkType;
}

void TForm4::FormCreate() {
    try {
        // Setting the text runs the change handler, which raises it to its bound.
        SpinEdit1->SetText(ReadSetting(L"udp"));
        SpinEdit2->SetText(ReadSetting(L"tcp"));
        SpinEdit3->SetText(ReadSetting(L"pdlj"));
        SpinEdit4->SetText(ReadSetting(L"wllj"));
        if (tk::TRadioButton* stored = NetworkTypeButton(NetworkTypeOf(ReadSetting(L"wllx")))) stored->SetChecked(true);
        CheckBox1->SetChecked(SwitchIsOn(ReadSetting(L"upnp")));
        CheckBox2->SetChecked(SwitchIsOn(ReadSetting(L"pjlj")));
    } catch (...) {
        // A settings file that cannot be read leaves the controls as they are.
    }
}

void TForm4::Button1Click() {
    try {
        WriteSetting(L"udp", SpinEdit1->Text());
        WriteSetting(L"tcp", SpinEdit2->Text());
        WriteSetting(L"pdlj", SpinEdit3->Text());
        WriteSetting(L"wllj", SpinEdit4->Text());
        WriteSetting(L"wllx", std::to_wstring(CheckedNetworkType()));
        WriteSetting(L"upnp", SwitchText(CheckBox1->Checked()));
        WriteSetting(L"pjlj", SwitchText(CheckBox2->Checked()));
    } catch (...) {
        // The keys written so far stay written.
    }
    Close();
}

void TForm4::Button2Click() { Close(); }

}  // namespace zentavo
