// The mouse states of the non-client objects: one object at a time is hot, and each change
// repaints the objects it touches.
#include <gtest/gtest.h>

#include "menu_test_fixture.h"

namespace skin::testing {
namespace {

// Records each repaint as its name and the state it was painted in ("A2").
class RecordedObject : public TNCObject {
public:
    RecordedObject(INcHost* host, std::string name, std::vector<std::string>& paints)
        : TNCObject(host), name_(std::move(name)), paints_(paints) {
        Visible = true;
    }
    void Paint() override { paints_.push_back(name_ + std::to_string(State)); }

private:
    std::string name_;
    std::vector<std::string>& paints_;
};

TEST(NcObject, OneHotObjectAtATime) {
    RecordingNcHost host;
    std::vector<std::string> paints;
    RecordedObject a(&host, "A", paints), b(&host, "B", paints), hidden(&host, "H", paints);
    hidden.Visible = false;
    struct Step {
        const char* what;
        TNCObject* object;
        void (TNCObject::*event)();
        TNCObject* hot;
        std::vector<std::string> paints;
    };
    const Step steps[] = {
        {"down on A", &a, &TNCObject::MouseDown, &a, {"A2"}},
        {"up on A", &a, &TNCObject::MouseUp, &a, {"A3"}},
        {"move to B: A leaves", &b, &TNCObject::MouseMove, &b, {"A1", "B3"}},
        {"move on B again: nothing", &b, &TNCObject::MouseMove, &b, {}},
        {"down on B while hot", &b, &TNCObject::MouseDown, &b, {"B2"}},
        {"move on the hidden one: B leaves, nothing hot", &hidden, &TNCObject::MouseMove, nullptr, {"B1"}},
        {"down on A", &a, &TNCObject::MouseDown, &a, {"A2"}},
        {"down on the hidden one: A leaves", &hidden, &TNCObject::MouseDown, nullptr, {"A1"}},
        {"up on the hidden one", &hidden, &TNCObject::MouseUp, nullptr, {}},
        {"move to A", &a, &TNCObject::MouseMove, &a, {"A3"}},
        {"A left", &a, &TNCObject::MouseLeave, nullptr, {"A1"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        paints.clear();
        (s.object->*s.event)();
        EXPECT_EQ(host.hot, s.hot);
        EXPECT_EQ(paints, s.paints);
    }
    EXPECT_EQ(a.State, ncNormal);
    EXPECT_EQ(b.State, ncNormal);
    EXPECT_EQ(hidden.State, ncNormal);
}

TEST(NcObject, CaptionButtonPaintsThroughItsHost) {
    RecordingNcHost host;
    TWinSysButton button(&host, nullptr);
    button.Visible = true;
    button.MouseMove();
    button.MouseDown();
    EXPECT_EQ(host.log, (std::vector<std::string>{"PaintCaptionButton 3", "PaintCaptionButton 2"}));
    EXPECT_EQ(button.ClassName(), L"TWinSysButton");
    EXPECT_TRUE(button.Is<TNCObject>());
}

}  // namespace
}  // namespace skin::testing
