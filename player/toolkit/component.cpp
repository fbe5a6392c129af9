#include "component.h"

#include <algorithm>

#include "exceptions.h"

namespace tk {
namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

TK_CLASS_INFO(TPersistent, TObject)
TK_CLASS_INFO(TComponent, TPersistent)

void TPersistent::Assign(TPersistent* source) {
    std::wstring from = source == nullptr ? L"nil" : source->ClassName();
    throw EConvertError(L"Cannot assign a " + from + L" to a " + ClassName());
}

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    BeginDestroy();
    DestroyComponents();
    if (owner_ != nullptr) owner_->RemoveComponent(this);
}

void TComponent::BeginDestroy() {
    state_ |= csDestroying;
    NotifyRemoval();
}

void TComponent::NotifyRemoval() {
    if (removalNotified_) return;
    removalNotified_ = true;
    // Everyone who keeps a pointer to this component drops it before the memory goes.
    std::vector<TComponent*> listeners;
    listeners.swap(freeNotifies_);
    for (TComponent* listener : listeners) {
        listener->RemoveFreeNotification(this);
        listener->Notification(this, TOperation::opRemove);
    }
    if (owner_ != nullptr && !owner_->Destroying()) owner_->Notification(this, TOperation::opRemove);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
}

TComponent* TComponent::FindComponent(const std::wstring& name) const {
    for (TComponent* c : components_)
        if (c->name_ == name) return c;
    return nullptr;
}

void TComponent::Loaded() { state_ &= ~csLoading; }

void TComponent::DefineProperties(TFiler&) {}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove) Erase(freeNotifies_, component);
    for (TComponent* c : std::vector<TComponent*>(components_))
        if (c != component) c->Notification(component, operation);
}

void TComponent::FreeNotification(TComponent* other) {
    if (other == nullptr || other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    // Symmetric: whichever of the two goes first tells the other.
    if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) == other->freeNotifies_.end())
        other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) { Erase(freeNotifies_, other); }

void TComponent::InsertComponent(TComponent* component) {
    if (component->owner_ != nullptr) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    Erase(components_, component);
    if (component->owner_ == this) component->owner_ = nullptr;
}

}  // namespace tk
