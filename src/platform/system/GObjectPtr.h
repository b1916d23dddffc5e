// Sole ownership of one reference to a GObject.
#pragma once

#include <glib-object.h>

#include <utility>

namespace dorv {

template <typename T>
class GObjectPtr {
public:
    GObjectPtr() = default;
    // Takes over a reference the caller owns (a floating one is sunk).
    explicit GObjectPtr(T* object) : m_object(object) {
        if (m_object && g_object_is_floating(m_object)) g_object_ref_sink(m_object);
    }
    ~GObjectPtr() { Reset(); }
    GObjectPtr(const GObjectPtr&) = delete;
    GObjectPtr& operator=(const GObjectPtr&) = delete;
    GObjectPtr(GObjectPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    GObjectPtr& operator=(GObjectPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }

    T* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    void Reset() {
        if (m_object) g_object_unref(std::exchange(m_object, nullptr));
    }

private:
    T* m_object = nullptr;
};

}  // namespace dorv
