// The loading phases that a form goes through while its components are built.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "exceptions.h"
#include "form_loader.h"
#include "streams.h"

namespace tk {
namespace {
std::vector<std::string>* g_journal = nullptr;

// A component with one binary property ("Blob") whose stored form is a u32 length and bytes.
class TRecorder : public TComponent {
public:
    explicit TRecorder(TComponent* owner) : TComponent(owner) {}
    void SetValue(int v) {
        value = v;
        g_journal->push_back(std::string("set ") + (Reading() ? "reading" : "live"));
    }
    void Loaded() override {
        TComponent::Loaded();
        g_journal->push_back("loaded " + std::string(Name().begin(), Name().end()));
    }
    void DefineProperties(TFiler& filer) override {
        filer.DefineBinaryProperty(L"Blob", [this](TStream& s) { ReadBlob(s); }, nullptr, true);
    }
    void ReadBlob(TStream& stream) {
        uint32_t length = 0;
        stream.ReadBuffer(&length, sizeof length);
        blob.resize(length);
        stream.ReadBuffer(blob.data(), length);
    }
    int value = 0;
    std::string blob;
};

class TTestForm : public TComponent {
    TK_CLASS(TTestForm)
public:
    explicit TTestForm(BinaryResourceFinder finder) : TComponent(nullptr) {
        FormLoader load(*this, std::move(finder));
        first = load.Create<TRecorder>(L"First");
        second = load.Create<TRecorder>(L"Second");
        first->SetValue(1);
        second->SetValue(2);
        load.ReadBinaryProperties();
        load.Finish();
    }
    TRecorder* first;
    TRecorder* second;
};
TK_CLASS_INFO(TTestForm, TComponent)

BinaryResourceFinder FinderOver(const std::map<std::string, std::string>& resources) {
    return [&resources](const std::string& name, const uint8_t*& data, size_t& size) {
        auto it = resources.find(name);
        if (it == resources.end()) return false;
        data = reinterpret_cast<const uint8_t*>(it->second.data());
        size = it->second.size();
        return true;
    };
}

std::string Blob(uint32_t declaredLength, const std::string& bytes) {
    return std::string(reinterpret_cast<const char*>(&declaredLength), 4) + bytes;
}

class FormLoading : public testing::Test {
protected:
    void SetUp() override { g_journal = &journal; }
    void TearDown() override { g_journal = nullptr; }
    std::vector<std::string> journal;
};

TEST_F(FormLoading, SettersSeeReadingAndLoadedRunsOnceInCreationOrder) {
    std::map<std::string, std::string> none;
    TTestForm form(FinderOver(none));
    EXPECT_EQ(journal, (std::vector<std::string>{"set reading", "set reading", "loaded First", "loaded Second"}));
    EXPECT_EQ(form.first->ComponentState() & (csLoading | csReading), 0u);
    EXPECT_EQ(form.ComponentState() & (csLoading | csReading), 0u);
    form.first->SetValue(3);
    EXPECT_EQ(journal.back(), "set live");
    EXPECT_TRUE(form.first->blob.empty());  // no resource: property not stored
}

TEST_F(FormLoading, BinaryPropertyGetsExactlyTheStoredBytes) {
    std::map<std::string, std::string> resources = {{"TTESTFORM_SECOND_BLOB", Blob(3, "abc")}};
    TTestForm form(FinderOver(resources));
    EXPECT_EQ(form.second->blob, "abc");
    EXPECT_TRUE(form.first->blob.empty());
}

TEST_F(FormLoading, PayloadShorterThanItsLengthRaisesOutOfTheConstructor) {
    std::map<std::string, std::string> resources = {{"TTESTFORM_FIRST_BLOB", Blob(10, "abc")}};
    EXPECT_THROW(TTestForm form(FinderOver(resources)), EReadError);
    // Loaded never ran for the half-built form.
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "loaded First"), 0);
}

}  // namespace
}  // namespace tk
