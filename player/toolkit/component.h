// Persistent objects and components. A component is created with an owner, which lists it and
// frees it (last created first). A component freed by anyone else leaves its owner's list, and
// the owner, its components and every component that asked for a free notification hear
// Notification(opRemove) first, so no list keeps a dangling entry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "class_info.h"

namespace tk {

class TStream;
class TComponent;

class TPersistent : public TObject {
    TK_CLASS(TPersistent)
public:
    virtual void Assign(TPersistent* source);  // EConvertError unless a subclass accepts source
};

enum ComponentStateFlag : unsigned {
    csLoading = 1,
    csReading = 2,
    csDestroying = 4,
    csDesigning = 8,  // never set: there is no designer
};

enum class TOperation { opInsert, opRemove };

// Streaming of properties that have no published form (DefineProperties).
class TFiler {
public:
    using StreamProc = std::function<void(TStream&)>;
    virtual ~TFiler() = default;
    virtual void DefineBinaryProperty(const std::wstring& name, StreamProc read, StreamProc write,
                                      bool hasData) = 0;
};

class TComponent : public TPersistent {
    TK_CLASS(TComponent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
    TComponent* FindComponent(const std::wstring& name) const;

    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& name) { name_ = name; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    unsigned ComponentState() const { return state_; }
    bool Loading() const { return (state_ & csLoading) != 0; }
    bool Reading() const { return (state_ & csReading) != 0; }
    bool Destroying() const { return (state_ & csDestroying) != 0; }
    void SetLoadingState(unsigned flags) { state_ |= flags; }
    void ClearLoadingState(unsigned flags) { state_ &= ~flags; }

    // Called once after every component of a stream exists; clears csLoading.
    virtual void Loaded();
    virtual void DefineProperties(TFiler& filer);
    virtual void Notification(TComponent* component, TOperation operation);

    // `other` hears Notification(this, opRemove) when this component goes away.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

protected:
    // Marks the component as going away; derived destructors may call it early.
    void BeginDestroy();
    // Frees the owned components now (last created first); a form does this before its window goes.
    void DestroyComponents();

private:
    void NotifyRemoval();

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::wstring name_;
    int tag_ = 0;
    unsigned state_ = 0;
    bool removalNotified_ = false;
};

}  // namespace tk
