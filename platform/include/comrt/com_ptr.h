/// @file
/// ComPtr<T>: the one owning pointer to an interface. Raw AddRef/Release appear only
/// inside the platform layer; everything else holds references through this type.
#pragma once

#include <cassert>
#include <utility>

#include <comrt/error.h>
#include <comrt/unknwn.h>

/// The component's C++ helpers over the platform's COM types: owning pointers and RAII
/// holders, UTF-16 text, and the errors the helpers throw. Hosts use them in their own code
/// only: nothing of namespace comrt crosses between a host and a library.
namespace comrt {

/// An owning pointer to an interface T (a class derived from IUnknown): holds one counted
/// reference, released when the pointer goes. Copying adds a reference, moving hands it
/// over. Nothing here fails, except as() (which throws com_error).
///
///     comrt::ComPtr<_clsTessel> group;
///     CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, IID__clsTessel, group.put_void());
///     comrt::ComPtr<IDispatch> late = group;                 // the same object, one more reference
///     auto info = group.try_as<ISupportErrorInfo>();         // QueryInterface; empty when unsupported
template <typename T>
class ComPtr {
public:
    /// An empty pointer.
    ComPtr() noexcept = default;
    /// An empty pointer.
    ComPtr(std::nullptr_t) noexcept {}
    /// Takes a new reference to p (AddRef; a null p gives an empty pointer).
    explicit ComPtr(T* p) noexcept : p_(p) { add_ref(); }
    /// Another reference to other's object.
    ComPtr(const ComPtr& other) noexcept : p_(other.p_) { add_ref(); }
    /// Takes over other's reference; other becomes empty.
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    /// Another reference to other's object, through a base interface of U.
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) noexcept : p_(other.get()) {
        add_ref();
    }
    /// Releases the reference held.
    ~ComPtr() { release(); }

    /// Holds another reference to other's object and releases the one held before.
    ComPtr& operator=(const ComPtr& other) noexcept {
        if (p_ != other.p_) {
            ComPtr copy(other);
            swap(copy);
        }
        return *this;
    }
    /// Takes over other's reference (other becomes empty) and releases the one held before.
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            release();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    /// Releases the reference held; the pointer becomes empty.
    ComPtr& operator=(std::nullptr_t) noexcept {
        release();
        return *this;
    }

    /// The interface pointer, without a new reference (null when empty).
    T* get() const noexcept { return p_; }
    /// Calls a member of the interface; the pointer must not be empty.
    T* operator->() const noexcept { return p_; }
    /// The interface; the pointer must not be empty.
    T& operator*() const noexcept { return *p_; }
    /// Whether the pointer holds an object.
    explicit operator bool() const noexcept { return p_ != nullptr; }

    /// Out-parameter for a call that returns a new reference, which the pointer then owns;
    /// the pointer must be empty (checked by an assertion in builds with them).
    T** put() noexcept {
        assert(p_ == nullptr);
        return &p_;
    }
    /// put() as `void**`, for CoCreateInstance and QueryInterface.
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    /// Takes over a reference the caller already owns (no AddRef), releasing the one held.
    void attach(T* p) noexcept {
        release();
        p_ = p;
    }
    /// Gives up ownership without releasing: the caller now owns the reference.
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    /// Releases the reference held; the pointer becomes empty.
    void reset() noexcept { release(); }
    /// Exchanges the objects of two pointers.
    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    /// Hands a new reference to an out-parameter (an empty pointer gives null).
    void copy_to(T** out) const noexcept {
        *out = p_;
        if (p_) p_->AddRef();
    }

    /// The object's interface U (QueryInterface), as a new pointer.
    /// @throws com_error E_POINTER for an empty pointer, or the failure of QueryInterface
    ///         (E_NOINTERFACE when the object does not support U).
    template <typename U>
    ComPtr<U> as() const {
        ComPtr<U> result;
        if (!p_) throw com_error(E_POINTER);
        check(p_->QueryInterface(iid_of<U>(), result.put_void()));
        return result;
    }
    /// The object's interface U (QueryInterface), as a new pointer; an empty pointer when
    /// this one is empty or the object does not support U. Never throws.
    template <typename U>
    ComPtr<U> try_as() const noexcept {
        ComPtr<U> result;
        if (p_) p_->QueryInterface(iid_of<U>(), result.put_void());
        return result;
    }

    /// Whether two pointers hold the same interface pointer (not an identity test through
    /// IUnknown).
    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }
    /// Whether the pointer is empty.
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

/// Wraps a pointer to which the caller already owns a reference (no AddRef).
template <typename T>
ComPtr<T> attach(T* p) noexcept {
    ComPtr<T> result;
    result.attach(p);
    return result;
}

}  // namespace comrt
