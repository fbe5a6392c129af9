// Ownership and lifetime of toolkit components.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "component.h"

namespace {
using tk::TComponent;
using tk::TOperation;

// Labels by address: a removal notification arrives after the removed object's own
// destructor body ran, so listeners may compare its address but not read its members.
std::map<const TComponent*, std::string> g_labels;

// Records its destruction and every removal it hears of into a shared journal.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::string name, std::vector<std::string>& journal)
        : TComponent(owner), label_(std::move(name)), journal_(journal) { g_labels[this] = label_; }
    ~Probe() override { journal_.push_back("free " + label_); }
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove) journal_.push_back(label_ + " hears " + g_labels[component]);
        TComponent::Notification(component, operation);
    }
    std::string label_;
    std::vector<std::string>& journal_;
};

TEST(ComponentOwnership, OwnerFreesOwnedInReverseCreationOrder) {
    std::vector<std::string> journal;
    auto* form = new Probe(nullptr, "form", journal);
    new Probe(form, "a", journal);
    new Probe(form, "b", journal);
    new Probe(form, "c", journal);
    ASSERT_EQ(form->ComponentCount(), 3);
    delete form;
    // The owner's own destructor body runs first, then its components go, last created first.
    EXPECT_EQ(journal, (std::vector<std::string>{"free form", "free c", "free b", "free a"}));
}

TEST(ComponentOwnership, FreedByOtherLeavesOwnersListAndNotifiesOwnerAndSiblings) {
    std::vector<std::string> journal;
    auto* form = new Probe(nullptr, "form", journal);
    auto* a = new Probe(form, "a", journal);
    new Probe(form, "b", journal);
    delete a;
    EXPECT_EQ(form->ComponentCount(), 1);
    EXPECT_EQ(journal, (std::vector<std::string>{"free a", "form hears a", "b hears a"}));
    journal.clear();
    delete form;  // must not touch the freed component again
    EXPECT_EQ(journal, (std::vector<std::string>{"free form", "free b"}));
}

// A component owned by a form and also listed by an outside registry (as a form skinner is
// listed by the skin manager): whichever side goes first leaves the other consistent.
TEST(ComponentOwnership, OutsideRegistryHearsOfEitherWayOfFreeing) {
    struct Case { const char* name; bool freeThroughOwner; };
    for (Case c : {Case{"owner first", true}, Case{"member first", false}}) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> journal;
        auto* registry = new Probe(nullptr, "registry", journal);
        auto* form = new Probe(nullptr, "form", journal);
        auto* member = new Probe(form, "member", journal);
        member->FreeNotification(registry);
        if (c.freeThroughOwner) {
            delete form;
        } else {
            delete member;
            EXPECT_EQ(form->ComponentCount(), 0);
            delete form;
        }
        EXPECT_NE(std::find(journal.begin(), journal.end(), "registry hears member"), journal.end());
        journal.clear();
        delete registry;  // no notification may reach the freed member
        EXPECT_EQ(journal, (std::vector<std::string>{"free registry"}));
    }
}

TEST(ComponentOwnership, RegistryFreedFirstIsForgottenByMember) {
    std::vector<std::string> journal;
    auto* registry = new Probe(nullptr, "registry", journal);
    auto* member = new Probe(nullptr, "member", journal);
    member->FreeNotification(registry);
    delete registry;
    journal.clear();
    delete member;
    EXPECT_EQ(journal, (std::vector<std::string>{"free member"}));
}

TEST(ComponentOwnership, InsertComponentMovesBetweenOwners) {
    std::vector<std::string> journal;
    Probe first(nullptr, "first", journal), second(nullptr, "second", journal);
    auto* member = new Probe(&first, "member", journal);
    second.InsertComponent(member);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.ComponentCount(), 1);
    EXPECT_EQ(member->Owner(), &second);
}

}  // namespace
