// One RAII type per automation resource: Bstr, Variant, SafeArrayPtr, and the scoped
// array lock SafeArrayLockGuard. All of them are move-only owners.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include <comrt/error.h>
#include <comrt/oleauto.h>
#include <comrt/text.h>

namespace comrt {

// Owns a BSTR. A null Bstr is the empty string.
class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(olestring_view text) : s_(alloc(text)) {}
    explicit Bstr(const OLECHAR* text) : Bstr(text ? olestring_view(text) : olestring_view()) {}
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.s_, nullptr));
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s_); }

    // Takes ownership of an existing BSTR.
    static Bstr attach(BSTR s) noexcept {
        Bstr b;
        b.s_ = s;
        return b;
    }
    // A new BSTR holding a copy of s (a null s copies as the empty string).
    static Bstr copy_of(BSTR s) { return Bstr(view_of(s)); }

    BSTR get() const noexcept { return s_; }
    // Out-parameter for a call that returns a new string; frees what was held.
    BSTR* put() noexcept {
        reset();
        return &s_;
    }
    [[nodiscard]] BSTR detach() noexcept { return std::exchange(s_, nullptr); }
    void reset(BSTR s = nullptr) noexcept { SysFreeString(std::exchange(s_, s)); }

    UINT length() const noexcept { return SysStringLen(s_); }
    bool empty() const noexcept { return length() == 0; }
    olestring_view view() const noexcept { return view_of(s_); }
    // A new BSTR with the same text, for handing to an out-parameter.
    [[nodiscard]] BSTR copy() const { return alloc(view()); }

    static olestring_view view_of(BSTR s) noexcept { return {s ? s : OLESTR(""), SysStringLen(s)}; }

    friend bool operator==(const Bstr& a, const Bstr& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const Bstr& a, olestring_view b) noexcept { return a.view() == b; }

private:
    static BSTR alloc(olestring_view text) {
        // The byte length is stored in 32 bits: longer text cannot be a BSTR.
        if (text.size() > UINT32_MAX / sizeof(OLECHAR)) throw com_error(E_OUTOFMEMORY);
        BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!s) throw com_error(E_OUTOFMEMORY);
        return s;
    }

    BSTR s_ = nullptr;
};

// Owns a VARIANT: cleared (references released, strings and arrays freed) on destruction.
class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(const Variant& other) : Variant() { check(VariantCopy(&v_, &other.v_)); }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(const Variant& other) {
        if (this != &other) check(VariantCopy(&v_, &other.v_));
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }
    ~Variant() { VariantClear(&v_); }

    VARIANT* get() noexcept { return &v_; }
    const VARIANT* get() const noexcept { return &v_; }
    VARIANT* operator->() noexcept { return &v_; }
    const VARIANT* operator->() const noexcept { return &v_; }
    VARTYPE vt() const noexcept { return v_.vt; }

    // Clears and returns the variant, for an out-parameter.
    VARIANT* put() noexcept {
        VariantClear(&v_);
        return &v_;
    }
    // Hands the value to the caller; this becomes VT_EMPTY.
    [[nodiscard]] VARIANT detach() noexcept {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }
    void clear() noexcept { VariantClear(&v_); }

private:
    VARIANT v_;
};

// Owns a SAFEARRAY: destroyed on destruction.
class SafeArrayPtr {
public:
    SafeArrayPtr() noexcept = default;
    explicit SafeArrayPtr(SAFEARRAY* psa) noexcept : psa_(psa) {}
    SafeArrayPtr(SafeArrayPtr&& other) noexcept : psa_(std::exchange(other.psa_, nullptr)) {}
    SafeArrayPtr& operator=(SafeArrayPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.psa_, nullptr));
        return *this;
    }
    SafeArrayPtr(const SafeArrayPtr&) = delete;
    SafeArrayPtr& operator=(const SafeArrayPtr&) = delete;
    ~SafeArrayPtr() { reset(); }

    SAFEARRAY* get() const noexcept { return psa_; }
    SAFEARRAY** put() noexcept {
        reset();
        return &psa_;
    }
    [[nodiscard]] SAFEARRAY* detach() noexcept { return std::exchange(psa_, nullptr); }
    void reset(SAFEARRAY* psa = nullptr) noexcept {
        if (SAFEARRAY* old = std::exchange(psa_, psa)) SafeArrayDestroy(old);
    }
    explicit operator bool() const noexcept { return psa_ != nullptr; }

private:
    SAFEARRAY* psa_ = nullptr;
};

// Holds a lock on an array for a scope (SafeArrayLock / SafeArrayUnlock).
class SafeArrayLockGuard {
public:
    explicit SafeArrayLockGuard(SAFEARRAY* psa) : psa_(psa) { check(SafeArrayLock(psa_)); }
    SafeArrayLockGuard(const SafeArrayLockGuard&) = delete;
    SafeArrayLockGuard& operator=(const SafeArrayLockGuard&) = delete;
    ~SafeArrayLockGuard() { SafeArrayUnlock(psa_); }

private:
    SAFEARRAY* psa_;
};

}  // namespace comrt
