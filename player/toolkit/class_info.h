// Run-time class metadata of the toolkit: the class name, the parent class and the published
// properties. Type tests (InheritsFrom) walk the parent chain, which mirrors the C++ classes;
// the skin engine also reads and writes published properties by name through it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tk {

class TObject;
class TPersistent;

enum class PropKind { Integer, Enumeration, Set, String, WideString, Object };

struct PropInfo {
    std::wstring name;
    PropKind kind = PropKind::Integer;
    std::vector<std::wstring> identifiers;               // enumeration and set element names
    std::function<int(TObject&)> getOrd;                 // integer, enumeration, set (bit mask)
    std::function<void(TObject&, int)> setOrd;
    std::function<std::wstring(TObject&)> getText;       // string kinds
    std::function<void(TObject&, const std::wstring&)> setText;
    std::function<TPersistent*(TObject&)> getObject;     // object kind
};

class ClassInfo {
public:
    ClassInfo(std::wstring name, const ClassInfo* parent) : name_(std::move(name)), parent_(parent) {}

    const std::wstring& Name() const { return name_; }
    const ClassInfo* Parent() const { return parent_; }
    bool InheritsFrom(const ClassInfo& other) const;

    // Looks the name up ASCII case-insensitively, own properties first, then the parent's.
    const PropInfo* FindProperty(const std::wstring& name) const;
    void AddProperty(PropInfo info) { properties_.push_back(std::move(info)); }

private:
    std::wstring name_;
    const ClassInfo* parent_;
    std::vector<PropInfo> properties_;
};

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const ClassInfo& StaticClass();
    virtual const ClassInfo& ClassType() const { return StaticClass(); }
    const std::wstring& ClassName() const { return ClassType().Name(); }
    bool InheritsFrom(const ClassInfo& info) const { return ClassType().InheritsFrom(info); }
    template <class T>
    bool Is() const { return InheritsFrom(T::StaticClass()); }
};

template <class T>
T* DynamicCast(TObject* object) {
    return object != nullptr && object->Is<T>() ? static_cast<T*>(object) : nullptr;
}

}  // namespace tk

// Declares the metadata members of a toolkit class (inside the class body, first line).
#define TK_CLASS(T)                                                             \
public:                                                                         \
    static const ::tk::ClassInfo& StaticClass();                                \
    const ::tk::ClassInfo& ClassType() const override { return StaticClass(); } \
                                                                                \
private:

// Defines the metadata: TK_CLASS_INFO(TPanel, TCustomPanel, { PublishInteger(...); })
#define TK_CLASS_INFO(T, Parent, ...)                                   \
    const ::tk::ClassInfo& T::StaticClass() {                           \
        static const ::tk::ClassInfo info = [] {                        \
            ::tk::ClassInfo c(L## #T, &Parent::StaticClass());          \
            using Self = T;                                             \
            (void)sizeof(Self*);                                        \
            __VA_ARGS__                                                 \
            return c;                                                   \
        }();                                                            \
        return info;                                                    \
    }
