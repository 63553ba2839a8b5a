// The C++ helpers: ComPtr reference counts, implements<> QueryInterface and the module
// counter, and the Bstr / Variant / SafeArrayPtr owners.
#include <gtest/gtest.h>

#include <comrt/com.h>
#include <comrt/implements.h>

#include <testing/dispatch_stub.h>

// Interface ids bind at global scope.
struct IProbeA : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE A() noexcept = 0;
};
COMRT_INTERFACE_ID(IProbeA, "6F1A0001-0000-4000-8000-000000000001");
struct IProbeDual : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE D() noexcept = 0;
};
COMRT_INTERFACE_ID(IProbeDual, "6F1A0003-0000-4000-8000-000000000003");

namespace {

using comrt::ComPtr;

int g_destroyed = 0;

class Probe final : public pg_testing::no_dispatch<comrt::implements<Probe, IProbeA, IProbeDual>> {
public:
    ~Probe() override { ++g_destroyed; }
    HRESULT STDMETHODCALLTYPE A() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE D() noexcept override { return S_OK; }
};

using pg_testing::refs;

template <typename F>
HRESULT thrown_by(F f) {
    try {
        f();
    } catch (const comrt::com_error& e) {
        return e.code();
    }
    return S_OK;
}

TEST(ComPtrCounts, EachOperationMovesTheCountExactly) {
    auto probe = comrt::make<Probe>();
    IProbeA* raw = probe.get();
    {
        ComPtr<IProbeA> copy(raw);
        ComPtr<IProbeA> second = copy;
        EXPECT_EQ(refs(raw), 3u) << "raw-pointer constructor and copy each take one";
        second = copy;
        ComPtr<IProbeA>& same = copy;  // a self-assignment the compiler does not flag
        copy = same;
        ComPtr<IProbeA> moved = std::move(second);
        EXPECT_EQ(second.get(), nullptr);
        EXPECT_EQ(refs(raw), 3u) << "same-object assignment or a move changed the count";
        IProbeA* out = nullptr;
        moved.copy_to(&out);
        EXPECT_EQ(refs(raw), 4u);
        out->Release();
        ComPtr<IProbeA> attached = comrt::attach(moved.detach());
        EXPECT_EQ(refs(raw), 3u) << "detach and attach must not touch the count";
        auto dual = attached.as<IProbeDual>();
        auto again = dual.try_as<IProbeA>();
        EXPECT_EQ(again.get(), raw);
        EXPECT_EQ(refs(raw), 5u);
        EXPECT_EQ(again.try_as<IClassFactory>().get(), nullptr);
        EXPECT_EQ(thrown_by([&] { (void)again.as<IClassFactory>(); }), E_NOINTERFACE);
        EXPECT_EQ(refs(raw), 5u) << "a failed query kept a reference";
    }
    EXPECT_EQ(refs(raw), 1u);
    ComPtr<IProbeA> empty;
    EXPECT_EQ(empty.try_as<IProbeDual>().get(), nullptr);
    EXPECT_EQ(thrown_by([&] { (void)empty.as<IProbeDual>(); }), E_POINTER);
}

TEST(Implements, QueryInterfaceRulesAndModuleCounter) {
    const long before = comrt::module::count().load();
    g_destroyed = 0;
    {
        auto probe = comrt::make<Probe>();
        IProbeA* a = probe.get();
        IProbeDual* d = probe.get();
        EXPECT_EQ(comrt::module::count().load(), before + 1);
        void* from_a = nullptr;
        void* from_d = nullptr;
        a->QueryInterface(IID_IUnknown, &from_a);
        d->QueryInterface(IID_IUnknown, &from_d);
        EXPECT_EQ(from_a, from_d) << "IUnknown identity differs between interfaces";
        static_cast<IUnknown*>(from_a)->Release();
        static_cast<IUnknown*>(from_d)->Release();

        void* disp = nullptr;
        EXPECT_EQ(a->QueryInterface(IID_IDispatch, &disp), S_OK);
        EXPECT_EQ(disp, static_cast<IDispatch*>(d));
        static_cast<IUnknown*>(disp)->Release();
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(a->QueryInterface(IID_IClassFactory, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(a->QueryInterface(IID_IProbeA, nullptr), E_POINTER);
        EXPECT_EQ(refs(a), 1u);
    }
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(comrt::module::count().load(), before);
}

TEST(ResourceOwners, BstrOwnsAndHandsOver) {
    comrt::Bstr text(std::u16string_view(u"a\0b", 3));
    EXPECT_EQ(text.length(), 3u) << "embedded NUL lost";
    comrt::Bstr moved = std::move(text);
    EXPECT_EQ(text.get(), nullptr);
    comrt::Bstr back = comrt::Bstr::attach(moved.detach());
    EXPECT_EQ(moved.get(), nullptr);
    comrt::Bstr copy = comrt::Bstr::copy_of(back.get());
    EXPECT_NE(copy.get(), back.get());
    EXPECT_TRUE(copy == back);
    *copy.put() = SysAllocString(u"longer");  // put frees what was held
    EXPECT_EQ(copy.length(), 6u);
}

TEST(ResourceOwners, VariantReleasesWhatItHolds) {
    g_destroyed = 0;
    {
        comrt::Variant v;
        V_VT(v.get()) = VT_UNKNOWN;
        V_UNKNOWN(v.get()) = static_cast<IProbeA*>(comrt::make<Probe>().detach());
        IUnknown* object = V_UNKNOWN(v.get());
        comrt::Variant copy(v);
        comrt::Variant moved(std::move(copy));
        EXPECT_EQ(copy.vt(), VT_EMPTY);
        moved = v;  // copy over a held reference
        EXPECT_EQ(refs(object), 2u);
        VARIANT out = moved.detach();
        VariantClear(&out);
        EXPECT_EQ(refs(object), 1u);
        V_VT(moved.put()) = VT_BSTR;
        V_BSTR(moved.get()) = SysAllocString(u"freed with the holder");
    }
    EXPECT_EQ(g_destroyed, 1);
}

TEST(ResourceOwners, SafeArrayPtrAndLockGuard) {
    comrt::SafeArrayPtr array(SafeArrayCreateVector(VT_BSTR, 0, 2));
    ASSERT_TRUE(array);
    {
        comrt::SafeArrayLockGuard lock(array.get());
        EXPECT_EQ(SafeArrayDestroy(array.get()), DISP_E_ARRAYISLOCKED);
    }
    EXPECT_EQ(array.get()->cLocks, 0u);
    LONG index = 1;
    ASSERT_EQ(SafeArrayPutElement(array.get(), &index, comrt::Bstr(u"owned by the array").get()), S_OK);
    comrt::SafeArrayPtr moved = std::move(array);
    EXPECT_FALSE(array);
    *moved.put() = SafeArrayCreateVector(VT_I4, 0, 1);  // put destroys the first array
    EXPECT_EQ(SafeArrayGetDim(moved.get()), 1u);
}

}  // namespace
