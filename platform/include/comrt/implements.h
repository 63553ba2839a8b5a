// IUnknown written once: implements<D, I...> answers QueryInterface from its interface
// list and counts references; objects are created only through make<D>().
//
//     class Widget final : public comrt::implements<Widget, IWidget, ISupportErrorInfo> { ... };
//     comrt::ComPtr<Widget> w = comrt::make<Widget>(args...);
//
// Identity: IID_IUnknown always answers the first interface's IUnknown. IID_IDispatch
// answers the first listed interface that derives from IDispatch. A class whose listed
// interfaces share a base (IOleWindow, IPersist) answers for it with a member
// `void* find_base_interface(REFIID) noexcept` (null for any other id). Every live object
// counts in this library's module counter (DllCanUnloadNow).
//
// References are counted with atomic read-modify-write operations, which objects that
// threads share need (class factories, type information). A class whose objects belong
// to the thread that created them, and see every call, AddRef and Release included, from
// that thread only (the apartment rule of the classes hosts create) declares
//
//     static constexpr bool kSingleThreadReferences = true;
//
// and counts with plain loads and stores instead: a fill of the grid adds and releases
// several references per row, and the locked operations were a large part of its time.
#pragma once

#include <atomic>
#include <new>
#include <type_traits>

#include <comrt/com_ptr.h>
#include <comrt/module.h>
#include <comrt/oaidl.h>

namespace comrt {

template <typename D, typename First, typename... Rest>
class implements : public First, public Rest... {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        *ppv = find_interface(riid);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        if constexpr (single_thread_references()) {
            const ULONG count = refs_.load(std::memory_order_relaxed) + 1;
            refs_.store(count, std::memory_order_relaxed);
            return count;
        } else {
            return refs_.fetch_add(1) + 1;
        }
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        ULONG remaining = 0;
        if constexpr (single_thread_references()) {
            remaining = refs_.load(std::memory_order_relaxed) - 1;
            refs_.store(remaining, std::memory_order_relaxed);
        } else {
            remaining = refs_.fetch_sub(1) - 1;
        }
        if (remaining == 0) {
            // A destructor that calls the object through its own interfaces must not
            // bring the count back to zero a second time.
            refs_.store(1);
            delete this;
        }
        return remaining;
    }

    implements(const implements&) = delete;
    implements& operator=(const implements&) = delete;

protected:
    implements() noexcept { module::lock(); }
    virtual ~implements() { module::unlock(); }

    // The object's identity.
    IUnknown* identity() noexcept { return static_cast<IUnknown*>(static_cast<First*>(this)); }

private:
    // Whether D counts references for one thread (see above); read where D is complete.
    static constexpr bool single_thread_references() noexcept {
        if constexpr (requires { D::kSingleThreadReferences; })
            return D::kSingleThreadReferences;
        else
            return false;
    }

    template <typename I>
    void* cast_if(REFIID riid) noexcept {
        return riid == iid_of<I>() ? static_cast<void*>(static_cast<I*>(this)) : nullptr;
    }
    template <typename I>
    void* dispatch_if() noexcept {
        if constexpr (std::is_base_of_v<IDispatch, I>)
            return static_cast<IDispatch*>(static_cast<I*>(this));
        else
            return nullptr;
    }

    void* find_interface(REFIID riid) noexcept {
        if (riid == IID_IUnknown) return identity();
        // The interfaces themselves, in list order.
        void* found = cast_if<First>(riid);
        ((found = found ? found : cast_if<Rest>(riid)), ...);
        // IDispatch: the first dual interface in the list.
        if (!found && riid == IID_IDispatch) {
            found = dispatch_if<First>();
            ((found = found ? found : dispatch_if<Rest>()), ...);
        }
        // A base that several listed interfaces share (IOleWindow, IPersist): the class
        // names the one that answers for it.
        if constexpr (requires(D& d) { d.find_base_interface(riid); })
            if (!found) found = static_cast<D*>(this)->find_base_interface(riid);
        return found;
    }

    std::atomic<ULONG> refs_{1};
};

// Creates an object with one reference, owned by the returned pointer.
template <typename D, typename... Args>
ComPtr<D> make(Args&&... args) {
    return attach(new D(std::forward<Args>(args)...));
}

}  // namespace comrt
