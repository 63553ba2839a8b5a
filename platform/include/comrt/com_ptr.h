// ComPtr<T>: the one owning pointer to an interface. Raw AddRef/Release appear only
// inside the platform layer; everything else holds references through this type.
#pragma once

#include <cassert>
#include <utility>

#include <comrt/error.h>
#include <comrt/unknwn.h>

namespace comrt {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) noexcept : p_(p) { add_ref(); }
    ComPtr(const ComPtr& other) noexcept : p_(other.p_) { add_ref(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) noexcept : p_(other.get()) {
        add_ref();
    }
    ~ComPtr() { release(); }

    ComPtr& operator=(const ComPtr& other) noexcept {
        if (p_ != other.p_) {
            ComPtr copy(other);
            swap(copy);
        }
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            release();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept {
        release();
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Out-parameter for a call that returns a new reference; the pointer must be empty.
    T** put() noexcept {
        assert(p_ == nullptr);
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // Takes over a reference the caller already owns.
    void attach(T* p) noexcept {
        release();
        p_ = p;
    }
    // Gives up ownership without releasing.
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept { release(); }
    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    // Hands a new reference to an out-parameter (null stays null).
    void copy_to(T** out) const noexcept {
        *out = p_;
        if (p_) p_->AddRef();
    }

    // QueryInterface for U; throws com_error with the failing status.
    template <typename U>
    ComPtr<U> as() const {
        ComPtr<U> result;
        if (!p_) throw com_error(E_POINTER);
        check(p_->QueryInterface(iid_of<U>(), result.put_void()));
        return result;
    }
    // QueryInterface for U; an empty pointer when the object does not support it.
    template <typename U>
    ComPtr<U> try_as() const noexcept {
        ComPtr<U> result;
        if (p_) p_->QueryInterface(iid_of<U>(), result.put_void());
        return result;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

private:
    void add_ref() noexcept {
        if (p_) p_->AddRef();
    }
    void release() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }

    T* p_ = nullptr;
};

// Wraps a pointer to which the caller already owns a reference.
template <typename T>
ComPtr<T> attach(T* p) noexcept {
    ComPtr<T> result;
    result.attach(p);
    return result;
}

}  // namespace comrt
