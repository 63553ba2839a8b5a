// A server library with one creatable class (Counter) and one listed but not creatable
// (Hidden); TESTSERVER_B selects the second identity.
#include "testserver.h"

#include <comrt/server.h>

namespace {

#ifdef TESTSERVER_B
constexpr const testserver::identity& kIds = testserver::kServerB;
#else
constexpr const testserver::identity& kIds = testserver::kServerA;
#endif

class Counter final : public comrt::implements<Counter, ICounter> {
public:
    HRESULT STDMETHODCALLTYPE Increment(LONG* value) noexcept override {
        if (!value) return E_POINTER;
        *value = ++count_;
        return S_OK;
    }

private:
    LONG count_ = 0;
};

constexpr comrt::member_desc kCounterMembers[] = {
    comrt::method<&ICounter::Increment>(u"Increment", 0x60000000),
};
constexpr comrt::interface_desc kCounterItf{IID_ICounter, u"ICounter", TYPEFLAG_FOLEAUTOMATION, kCounterMembers,
                                            TKIND_INTERFACE, &IID_IUnknown, u"IUnknown"};
constexpr const comrt::interface_desc* kInterfaces[] = {&kCounterItf};
constexpr comrt::class_desc kClasses[] = {
    {kIds.counter, u"Counter", TYPEFLAG_FCANCREATE, &kCounterItf},
    {kIds.hidden, u"Hidden", 0, &kCounterItf},
};
constexpr comrt::type_library kLib{kIds.libid, kIds.name, kIds.major, kIds.minor, 0, kInterfaces, kClasses};
static_assert(comrt::well_formed(kLib));

}  // namespace

COMRT_DEFINE_SERVER(kLib, comrt::factory<Counter>(kIds.counter), comrt::factory<Counter>(kIds.hidden));
