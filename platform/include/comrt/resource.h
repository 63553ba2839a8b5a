/// @file
/// One RAII type per automation resource: Bstr, Variant, SafeArrayPtr, and the scoped
/// array lock SafeArrayLockGuard. Bstr, SafeArrayPtr and SafeArrayLockGuard are move-only
/// owners (the guard not even movable); a Variant copies deeply (VariantCopy).
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include <comrt/error.h>
#include <comrt/oleauto.h>
#include <comrt/text.h>

namespace comrt {

/// Owns a BSTR (SysFreeString on destruction). A null Bstr is the empty string.
///
///     comrt::Bstr name(u"Title");
///     item->put_ItemName(name.get());
///     comrt::Bstr value;
///     item->get_ItemValue(value.put());          // value now owns the returned string
class Bstr {
public:
    /// A null BSTR: the empty string.
    Bstr() noexcept = default;
    /// A new BSTR holding a copy of text (embedded NULs kept).
    /// @throws com_error E_OUTOFMEMORY.
    explicit Bstr(olestring_view text) : s_(alloc(text)) {}
    /// A new BSTR holding a copy of the NUL-terminated text (null: the empty string).
    /// @throws com_error E_OUTOFMEMORY.
    explicit Bstr(const OLECHAR* text) : Bstr(text ? olestring_view(text) : olestring_view()) {}
    /// Takes over other's string; other becomes null.
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    /// Frees the string held and takes over other's; other becomes null.
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.s_, nullptr));
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    /// Frees the string held.
    ~Bstr() { SysFreeString(s_); }

    /// Takes ownership of an existing BSTR (which the caller no longer frees).
    static Bstr attach(BSTR s) noexcept {
        Bstr b;
        b.s_ = s;
        return b;
    }
    /// A new BSTR holding a copy of s (a null s copies as the empty string).
    /// @throws com_error E_OUTOFMEMORY.
    static Bstr copy_of(BSTR s) { return Bstr(view_of(s)); }

    /// The BSTR, still owned (null for the empty string), for an in-parameter.
    BSTR get() const noexcept { return s_; }
    /// Out-parameter for a call that returns a new string, which this then owns; frees
    /// what was held.
    BSTR* put() noexcept {
        reset();
        return &s_;
    }
    /// Gives up ownership: the caller now frees the string.
    [[nodiscard]] BSTR detach() noexcept { return std::exchange(s_, nullptr); }
    /// Frees the string held and owns s instead (null: the empty string).
    void reset(BSTR s = nullptr) noexcept { SysFreeString(std::exchange(s_, s)); }

    /// The length in UTF-16 code units (SysStringLen).
    UINT length() const noexcept { return SysStringLen(s_); }
    /// Whether the text is empty (a null BSTR is).
    bool empty() const noexcept { return length() == 0; }
    /// The text, valid while this owns it.
    olestring_view view() const noexcept { return view_of(s_); }
    /// A new BSTR with the same text, for handing to an out-parameter.
    /// @throws com_error E_OUTOFMEMORY.
    [[nodiscard]] BSTR copy() const { return alloc(view()); }

    /// The text of any BSTR (a null BSTR is the empty text), its full length.
    static olestring_view view_of(BSTR s) noexcept { return {s ? s : OLESTR(""), SysStringLen(s)}; }

    /// Whether two strings hold the same text.
    friend bool operator==(const Bstr& a, const Bstr& b) noexcept { return a.view() == b.view(); }
    /// Whether the string holds the text b.
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

/// Owns a VARIANT: cleared (references released, strings and arrays freed) on destruction.
class Variant {
public:
    /// An empty variant (VT_EMPTY).
    Variant() noexcept { VariantInit(&v_); }
    /// A deep copy of other (VariantCopy: strings and arrays copied, references added).
    /// @throws com_error VariantCopy's failure (E_OUTOFMEMORY, DISP_E_BADVARTYPE, ...).
    Variant(const Variant& other) : Variant() { check(VariantCopy(&v_, &other.v_)); }
    /// Takes over other's value; other becomes VT_EMPTY.
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    /// Clears the value held and holds a deep copy of other's.
    /// @throws com_error VariantCopy's failure.
    Variant& operator=(const Variant& other) {
        if (this != &other) check(VariantCopy(&v_, &other.v_));
        return *this;
    }
    /// Clears the value held and takes over other's; other becomes VT_EMPTY.
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }
    /// Clears the value (VariantClear).
    ~Variant() { VariantClear(&v_); }

    /// The VARIANT itself, still owned, for an in-parameter.
    VARIANT* get() noexcept { return &v_; }
    /// The VARIANT itself, still owned, for reading.
    const VARIANT* get() const noexcept { return &v_; }
    /// The VARIANT's fields (vt, bstrVal, lVal, ...).
    VARIANT* operator->() noexcept { return &v_; }
    /// The VARIANT's fields, for reading.
    const VARIANT* operator->() const noexcept { return &v_; }
    /// The value's type.
    VARTYPE vt() const noexcept { return v_.vt; }

    /// Clears and returns the variant, for an out-parameter whose value this then owns.
    VARIANT* put() noexcept {
        VariantClear(&v_);
        return &v_;
    }
    /// Hands the value to the caller, who clears it; this becomes VT_EMPTY.
    [[nodiscard]] VARIANT detach() noexcept {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }
    /// Clears the value; the variant becomes VT_EMPTY.
    void clear() noexcept { VariantClear(&v_); }

private:
    VARIANT v_;
};

/// Owns a SAFEARRAY: destroyed (SafeArrayDestroy, with its elements) on destruction.
class SafeArrayPtr {
public:
    /// No array.
    SafeArrayPtr() noexcept = default;
    /// Takes ownership of psa (which the caller no longer destroys).
    explicit SafeArrayPtr(SAFEARRAY* psa) noexcept : psa_(psa) {}
    /// Takes over other's array; other holds none.
    SafeArrayPtr(SafeArrayPtr&& other) noexcept : psa_(std::exchange(other.psa_, nullptr)) {}
    /// Destroys the array held and takes over other's; other holds none.
    SafeArrayPtr& operator=(SafeArrayPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.psa_, nullptr));
        return *this;
    }
    SafeArrayPtr(const SafeArrayPtr&) = delete;
    SafeArrayPtr& operator=(const SafeArrayPtr&) = delete;
    /// Destroys the array held.
    ~SafeArrayPtr() { reset(); }

    /// The array, still owned (null when none).
    SAFEARRAY* get() const noexcept { return psa_; }
    /// Out-parameter for a call that returns a new array, which this then owns; destroys
    /// what was held.
    SAFEARRAY** put() noexcept {
        reset();
        return &psa_;
    }
    /// Gives up ownership: the caller now destroys the array.
    [[nodiscard]] SAFEARRAY* detach() noexcept { return std::exchange(psa_, nullptr); }
    /// Destroys the array held and owns psa instead.
    void reset(SAFEARRAY* psa = nullptr) noexcept {
        if (SAFEARRAY* old = std::exchange(psa_, psa)) SafeArrayDestroy(old);
    }
    /// Whether an array is held.
    explicit operator bool() const noexcept { return psa_ != nullptr; }

private:
    SAFEARRAY* psa_ = nullptr;
};

/// Holds a lock on an array for a scope (SafeArrayLock / SafeArrayUnlock): while locked, an
/// array cannot be destroyed or resized, and its pvData stays put.
class SafeArrayLockGuard {
public:
    /// Locks psa.
    /// @throws com_error E_INVALIDARG for a null array, E_UNEXPECTED when the array's lock
    ///         count cannot grow.
    explicit SafeArrayLockGuard(SAFEARRAY* psa) : psa_(psa) { check(SafeArrayLock(psa_)); }
    SafeArrayLockGuard(const SafeArrayLockGuard&) = delete;
    SafeArrayLockGuard& operator=(const SafeArrayLockGuard&) = delete;
    /// Unlocks the array.
    ~SafeArrayLockGuard() { SafeArrayUnlock(psa_); }

private:
    SAFEARRAY* psa_;
};

}  // namespace comrt
