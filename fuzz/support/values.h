// Automation values made from fuzz input, as a hostile or careless caller passes them:
// every VARTYPE (valid or not), strings with NULs and unpaired surrogates, arrays of any
// element type, dimensions and bounds, locked arrays, objects (with default values that
// are objects again), VT_BYREF with a null or a real pointer, variants that refer to
// themselves.
//
// A Values owns everything it makes: the variants' strings, arrays and references, and
// the storage that by-reference variants point at. release() frees it all (locked arrays
// are unlocked first); after it, LeakSanitizer sees whatever the code under test kept.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include <comrt/com_ptr.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>

namespace pg_fuzz {

// A late-bound object whose default value (DISPID_VALUE, property get) is a value it
// was given, or a failure; every other member is DISP_E_MEMBERNOTFOUND.
comrt::ComPtr<IDispatch> MakeValueObject(const VARIANT& value, HRESULT failure);

class Values {
public:
    explicit Values(FuzzedDataProvider& input) : in_(input) {}
    ~Values() { release(); }
    Values(const Values&) = delete;
    Values& operator=(const Values&) = delete;

    // Objects that object arguments may name besides value objects (a pool the caller
    // keeps alive for as long as the values live).
    void add_object(IDispatch* object) { objects_.push_back(object); }

    // A variant of any kind. depth bounds the nesting of references, default values and
    // array elements.
    VARIANT make(int depth = 0);
    // A VARTYPE: mostly the meaningful ones, sometimes any 16 bits.
    VARTYPE make_type();
    // A string: from a small dictionary of the texts conversions care about, or raw
    // UTF-16 code units.
    comrt::Bstr make_text();
    // An array of element type vt (1 to 3 dimensions, at most 48 elements), elements
    // made with make(); sometimes locked.
    SAFEARRAY* make_array(VARTYPE vt, int depth);

    // Frees everything made so far.
    void release();

private:
    VARIANT make_plain(VARTYPE vt, int depth);
    // Storage for a value of type vt that a VT_BYREF variant points at.
    VARIANT& cell();

    FuzzedDataProvider& in_;
    std::vector<IDispatch*> objects_;
    std::deque<VARIANT> cells_;                   // by-reference storage, cleared by release()
    std::vector<VARIANT> owned_;                  // variants made, cleared by release()
    std::vector<SAFEARRAY*> locked_;              // arrays locked once, unlocked by release()
    std::vector<comrt::ComPtr<IDispatch>> made_;  // value objects
};

}  // namespace pg_fuzz
