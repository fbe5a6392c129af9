// Published properties read and written by name.
#include <gtest/gtest.h>

#include "component.h"
#include "exceptions.h"
#include "published_properties.h"
#include "text_convert.h"

namespace tk {
namespace {
enum class Layout { GlyphLeft, GlyphRight, GlyphTop, GlyphBottom };
enum class CheckState { Unchecked, Checked, Grayed };

class TSampleBase : public TComponent {
    TK_CLASS(TSampleBase)
public:
    using TComponent::TComponent;
    std::wstring Caption() const { return caption_; }
    void SetCaption(const std::wstring& v) { caption_ = v; }
    std::wstring caption_ = L"base";
};

class TSample : public TSampleBase {
    TK_CLASS(TSample)
public:
    using TSampleBase::TSampleBase;
    int Spacing() const { return spacing_; }
    void SetSpacing(int v) { spacing_ = v; }
    Layout GetLayout() const { return layout_; }
    void SetLayout(Layout v) { layout_ = v; }
    CheckState State() const { return state_; }
    void SetState(CheckState v) { state_ = v; }
    bool Checked() const { return checked_; }
    void SetChecked(bool v) { checked_ = v; }
    TSampleBase* Font() const { return font_; }
    int Buttons() const { return 5; }

    int spacing_ = 4;
    Layout layout_ = Layout::GlyphLeft;
    CheckState state_ = CheckState::Unchecked;
    bool checked_ = false;
    TSampleBase* font_ = nullptr;
};

TK_CLASS_INFO(TSampleBase, TComponent, { PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption); })
TK_CLASS_INFO(TSample, TSampleBase, {
    PublishInteger<Self>(c, L"Spacing", &Self::Spacing, &Self::SetSpacing);
    PublishEnum<Self, Layout>(c, L"Layout", {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop", L"blGlyphBottom"},
                              &Self::GetLayout, &Self::SetLayout);
    PublishEnum<Self, CheckState>(c, L"State", {L"cbUnchecked", L"cbChecked", L"cbGrayed"}, &Self::State,
                                  &Self::SetState);
    PublishBool<Self>(c, L"Checked", &Self::Checked, &Self::SetChecked);
    PublishObject<Self, TSampleBase>(c, L"Font", &Self::Font);
    PropInfo set;
    set.name = L"VisibleButtons";
    set.kind = PropKind::Set;
    set.identifiers = {L"nbFirst", L"nbPrior", L"nbNext"};
    set.getOrd = [](TObject& o) { return static_cast<TSample&>(o).Buttons(); };
    c.AddProperty(set);
})

TEST(PublishedProperties, ReadAndWriteByNameCaseInsensitively) {
    TSample sample(nullptr);
    TSampleBase font(nullptr);
    sample.font_ = &font;
    struct Case { const wchar_t* name; const wchar_t* written; const wchar_t* readBack; };
    const Case cases[] = {
        {L"caption", L"Play", L"Play"},            // inherited string property
        {L"LAYOUT", L"blglyphtop", L"blGlyphTop"},  // enumeration by identifier, any case
        {L"state", L"cbGrayed", L"cbGrayed"},
        {L"Checked", L"true", L"True"},            // Boolean is an enumeration False/True
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name);
        SetPropByName(&sample, c.name, c.written);
        std::wstring read = GetTextPropByName(&sample, c.name);
        if (read.empty()) read = GetEnumPropByName(&sample, c.name);
        EXPECT_EQ(read, c.readBack);
    }
    SetPropByName(&sample, L"spacing", L"-7");
    EXPECT_EQ(GetOrdPropByName(&sample, L"Spacing"), -7);
    SetPropByName(&sample, L"spacing", L"$10");
    EXPECT_EQ(sample.spacing_, 16);
    EXPECT_EQ(GetObjectPropByName(&sample, L"font"), &font);
    EXPECT_EQ(GetEnumPropByName(&sample, L"VisibleButtons"), L"[nbFirst,nbNext]");
}

TEST(PublishedProperties, NeutralValuesForMissingNilAndOtherKinds) {
    TSample sample(nullptr);
    EXPECT_EQ(GetOrdPropByName(&sample, L"NoSuch"), -1);
    EXPECT_EQ(GetOrdPropByName(nullptr, L"Spacing"), -1);
    EXPECT_EQ(GetOrdPropByName(&sample, L"Caption"), -1);  // a string is not an integer
    EXPECT_EQ(GetEnumPropByName(&sample, L"Spacing"), L"");
    EXPECT_EQ(GetEnumPropByName(nullptr, L"Layout"), L"");
    EXPECT_EQ(GetTextPropByName(&sample, L"Layout"), L"");
    EXPECT_EQ(GetTextPropByName(nullptr, L"Caption"), L"");
    EXPECT_EQ(GetObjectPropByName(&sample, L"Caption"), nullptr);
    EXPECT_EQ(GetObjectPropByName(&sample, L"Font"), nullptr);  // published, currently nil
}

TEST(PublishedProperties, WritesThatCannotApplyLeaveTheValueAlone) {
    TSample sample(nullptr);
    EXPECT_THROW(SetPropByName(&sample, L"Spacing", L"abc"), EConvertError);
    EXPECT_EQ(sample.spacing_, 4);
    SetPropByName(&sample, L"Layout", L"blNowhere");
    EXPECT_EQ(sample.layout_, Layout::GlyphLeft);
    SetPropByName(&sample, L"NoSuch", L"1");
    SetPropByName(&sample, L"Font", L"x");
    SetPropByName(nullptr, L"Spacing", L"1");
}

TEST(PublishedProperties, GrayedIdentifierDoesNotContainCheck) {
    // The check-box skinner matches identifiers by substring ("check", "gray").
    TSample sample(nullptr);
    sample.state_ = CheckState::Grayed;
    std::wstring text = AsciiLowerCase(GetEnumPropByName(&sample, L"State"));
    EXPECT_EQ(text.find(L"check"), std::wstring::npos);
    EXPECT_NE(text.find(L"gray"), std::wstring::npos);
}

TEST(ClassMetadata, ClassNamesAndInheritance) {
    TSample sample(nullptr);
    EXPECT_EQ(sample.ClassName(), L"TSample");
    EXPECT_TRUE(sample.Is<TSampleBase>());
    EXPECT_TRUE(sample.Is<TComponent>());
    TSampleBase base(nullptr);
    EXPECT_FALSE(base.Is<TSample>());
    EXPECT_EQ(DynamicCast<TSample>(&base), nullptr);
    EXPECT_EQ(DynamicCast<TSampleBase>(&sample), &sample);
}

}  // namespace
}  // namespace tk
