// The phases of building a form as if it were streamed from a form resource. Inside a form's
// constructor a FormLoader scope marks the form and each component it makes with
// csLoading|csReading while the designer values are assigned; ReadBinaryProperties hands each
// binary property its stored bytes (RCDATA "<FORMCLASS>_<COMPONENT>_<PROPERTY>", upper case);
// Finish clears csReading everywhere and then calls Loaded once per component in creation order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "component.h"

namespace tk {

// Finds the stored bytes of a binary property by resource name; false: not stored.
using BinaryResourceFinder = std::function<bool(const std::string& name, const uint8_t*& data, size_t& size)>;

// The finder the layer uses by default: RCDATA of the program (none natively).
BinaryResourceFinder ProgramResourceFinder();

class FormLoader {
public:
    FormLoader(TComponent& root, BinaryResourceFinder finder = ProgramResourceFinder());
    ~FormLoader();
    FormLoader(const FormLoader&) = delete;
    FormLoader& operator=(const FormLoader&) = delete;

    template <class C, class... Args>
    C* Create(const std::wstring& name, Args&&... args) {
        C* component = new C(&root_, std::forward<Args>(args)...);
        Adopt(component, name);
        return component;
    }
    void Adopt(TComponent* component, const std::wstring& name);

    void ReadBinaryProperties();  // EReadError from a short payload propagates
    void Finish();

private:
    TComponent& root_;
    BinaryResourceFinder finder_;
    std::vector<TComponent*> created_;
    bool finished_ = false;
};

}  // namespace tk
