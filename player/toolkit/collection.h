// Collections of persistent items (status panels). Items are owned by their collection; the
// collection tells its owner about every change through a callback.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "component.h"

namespace tk {

class TCollection;

class TCollectionItem : public TPersistent {
    TK_CLASS(TCollectionItem)
public:
    explicit TCollectionItem(TCollection* collection) : collection_(collection) {}
    TCollection* Collection() const { return collection_; }
    int Index() const;

protected:
    void Changed();

private:
    TCollection* collection_;
};

class TCollection : public TPersistent {
    TK_CLASS(TCollection)
public:
    int Count() const { return static_cast<int>(items_.size()); }
    void Clear();
    void Delete(int index);
    std::function<void()> OnChanged;

protected:
    template <class T>
    T* AddItem() {
        items_.push_back(std::make_unique<T>(this));
        Changed();
        return static_cast<T*>(items_.back().get());
    }
    TCollectionItem* ItemAt(int index) const { return items_.at(static_cast<size_t>(index)).get(); }

private:
    friend class TCollectionItem;
    void Changed() {
        if (OnChanged) OnChanged();
    }
    std::vector<std::unique_ptr<TCollectionItem>> items_;
};

}  // namespace tk
