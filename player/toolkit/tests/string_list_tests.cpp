// String lists: lines and their objects, the text form with every kind of line break, case-
// blind look-up of ASCII names, and copying one list into another.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exceptions.h"
#include "string_list.h"

namespace tk {
namespace {

std::vector<std::wstring> Lines(const TStrings& list) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
    return lines;
}

TEST(StringList, TextSplitsAtEveryBreakAndAddsNoLineForABreakAtTheEnd) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> lines;
    } cases[] = {
        {L"", {}},
        {L"one", {L"one"}},
        {L"one\r\n", {L"one"}},
        {L"a\r\nb\nc\rd", {L"a", L"b", L"c", L"d"}},
        {L"a\r\n\r\nb", {L"a", L"", L"b"}},  // an empty line in the middle counts
        {L"a\n\r\nb", {L"a", L"", L"b"}},    // LF, then CR LF
        {L"a\r\rb", {L"a", L"", L"b"}},
        {L"\r\n", {L""}},
        {L"a\n\n", {L"a", L""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        TStringList list;
        list.Add(L"replaced");
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines);
    }
    TStringList list;
    list.SetText(L"x\ny\rz");
    EXPECT_EQ(list.Text(), L"x\r\ny\r\nz\r\n");
}

TEST(StringList, IndexOfIgnoresTheCaseOfAsciiLettersOnly) {
    TStringList list;
    list.Add(L"TRzCheckBox=Checkbox");
    list.Add(L"Ärger");
    list.Add(L"trzcheckbox=checkbox");
    EXPECT_EQ(list.IndexOf(L"trzcheckbox=CHECKBOX"), 0);  // the first of equal lines
    EXPECT_EQ(list.IndexOf(L"Ärger"), 1);
    EXPECT_EQ(list.IndexOf(L"ärger"), -1);  // not an ASCII letter
    EXPECT_EQ(list.IndexOf(L"TRzCheckBox"), -1);
}

TEST(StringList, ObjectsTravelWithTheirLinesAndAssignReplacesTheWholeList) {
    TStringList a, source;
    TStringList marker;
    EXPECT_EQ(source.AddObject(L"first", &marker), 0);
    EXPECT_EQ(source.Add(L"second"), 1);
    a.Add(L"old");
    a.Assign(&source);
    EXPECT_EQ(Lines(a), (std::vector<std::wstring>{L"first", L"second"}));
    EXPECT_EQ(a.Objects(0), &marker);
    EXPECT_EQ(a.Objects(1), nullptr);
    a.SetObjects(1, &marker);
    EXPECT_EQ(source.Objects(1), nullptr);  // a copy, not a view

    a.Assign(&a);
    EXPECT_EQ(a.Count(), 2);
    EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST(StringList, IndexesOutsideTheListRaise) {
    TStringList list;
    list.Add(L"only");
    EXPECT_THROW(list.Strings(1), EStringListError);
    EXPECT_THROW(list.Strings(-1), EStringListError);
    EXPECT_THROW(list.Objects(1), EStringListError);
    EXPECT_THROW(list.SetObjects(2, nullptr), EStringListError);
}

}  // namespace
}  // namespace tk
