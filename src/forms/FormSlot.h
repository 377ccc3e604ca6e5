#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace quillmar {

// A form that exists from its first reference on: the accessor creates it and runs its Form_Load before
// handing it out; Unload destroys it, and the next reference makes a fresh one.
template <typename T>
class FormSlot {
public:
    using Factory = std::function<std::unique_ptr<T>()>;

    explicit FormSlot(Factory factory) : m_factory(std::move(factory)) {}
    FormSlot(const FormSlot&) = delete;
    FormSlot& operator=(const FormSlot&) = delete;

    T& operator()() {
        if (!m_form) {
            m_form = m_factory();
            // Form_Load may reach the form through this slot again; it then finds the one being loaded.
            m_form->Form_Load();
        }
        return *m_form;
    }
    bool IsLoaded() const { return m_form != nullptr; }
    // Safe to call from one of the form's own handlers only if the handler touches nothing afterwards.
    void Unload() {
        std::unique_ptr<T> leaving = std::move(m_form);
        leaving.reset();
    }

private:
    Factory m_factory;
    std::unique_ptr<T> m_form;
};

}  // namespace quillmar
