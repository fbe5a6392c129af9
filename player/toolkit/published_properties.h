// Reading and writing published properties by name, and the helpers that publish them.
// Reading never throws: a nil object, a missing name or a property of another kind gives the
// neutral value (integer -1, enumeration "", text "", object nil). Writing converts the text;
// only a non-number written into an integer raises (EConvertError).
#pragma once

#include <initializer_list>
#include <string>

#include "class_info.h"

namespace tk {

int GetOrdPropByName(TObject* object, const std::wstring& name);
std::wstring GetEnumPropByName(TObject* object, const std::wstring& name);  // also sets: "[a,b]"
std::wstring GetTextPropByName(TObject* object, const std::wstring& name);
TPersistent* GetObjectPropByName(TObject* object, const std::wstring& name);
void SetPropByName(TObject* object, const std::wstring& name, const std::wstring& value);

template <class T>
void PublishInteger(ClassInfo& c, const wchar_t* name, int (T::*get)() const, void (T::*set)(int)) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Integer;
    p.getOrd = [get](TObject& o) { return (static_cast<T&>(o).*get)(); };
    if (set) p.setOrd = [set](TObject& o, int v) { (static_cast<T&>(o).*set)(v); };
    c.AddProperty(std::move(p));
}

template <class T, class E>
void PublishEnum(ClassInfo& c, const wchar_t* name, std::initializer_list<const wchar_t*> identifiers,
                 E (T::*get)() const, void (T::*set)(E)) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Enumeration;
    for (const wchar_t* id : identifiers) p.identifiers.emplace_back(id);
    p.getOrd = [get](TObject& o) { return static_cast<int>((static_cast<T&>(o).*get)()); };
    if (set) p.setOrd = [set](TObject& o, int v) { (static_cast<T&>(o).*set)(static_cast<E>(v)); };
    c.AddProperty(std::move(p));
}

template <class T>
void PublishBool(ClassInfo& c, const wchar_t* name, bool (T::*get)() const, void (T::*set)(bool)) {
    PublishEnum<T, bool>(c, name, {L"False", L"True"}, get, set);
}

template <class T>
void PublishString(ClassInfo& c, const wchar_t* name, std::wstring (T::*get)() const,
                   void (T::*set)(const std::wstring&), PropKind kind = PropKind::String) {
    PropInfo p;
    p.name = name;
    p.kind = kind;
    p.getText = [get](TObject& o) { return (static_cast<T&>(o).*get)(); };
    if (set) p.setText = [set](TObject& o, const std::wstring& v) { (static_cast<T&>(o).*set)(v); };
    c.AddProperty(std::move(p));
}

template <class T, class P>
void PublishObject(ClassInfo& c, const wchar_t* name, P* (T::*get)() const) {
    PropInfo p;
    p.name = name;
    p.kind = PropKind::Object;
    p.getObject = [get](TObject& o) -> TPersistent* { return (static_cast<T&>(o).*get)(); };
    c.AddProperty(std::move(p));
}

}  // namespace tk
