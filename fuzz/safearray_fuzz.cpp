// Fuzz target: SAFEARRAY operation sequences checked against a model.
//
// Up to four arrays live at once. Each operation (create, create a vector, put, get,
// copy, destroy, lock, unlock, access and unaccess the data, dimensions, bounds, element
// type) is run on the real array and on the model, and every result must agree:
//   - SafeArrayCreate gives null exactly when the type is not an element type, there are
//     no dimensions, an upper bound leaves the LONG range or the data would not fit a
//     32-bit size (such a call must fail without allocating: it is made);
//   - an element reads back as it was put (strings by text, a null string put as an
//     empty one, an element never set as a null string,
//     variants by type and value, objects by identity, plain values by their bytes), and
//     through the data pointer as well;
//   - an index outside its bounds is DISP_E_BADINDEX and changes nothing;
//   - a locked array cannot be destroyed; unlocking an unlocked one fails;
//   - a copy equals its source and is not locked.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include <comrt/com_ptr.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>

#include "support/check.h"
#include "support/values.h"

namespace {

constexpr std::size_t kSlots = 4;
constexpr std::uint64_t kLargestMade = 1 << 14;  // bytes; larger arrays that should work are not made

struct ElementKind {
    bool supported;
    ULONG size;
};

ElementKind kind_of(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_UI1: return {true, 1};
    case VT_I2: case VT_UI2: case VT_BOOL: return {true, 2};
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return {true, 4};
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return {true, 8};
    case VT_DECIMAL: return {true, sizeof(DECIMAL)};
    case VT_BSTR: case VT_UNKNOWN: case VT_DISPATCH: return {true, sizeof(void*)};
    case VT_VARIANT: return {true, sizeof(VARIANT)};
    default: return {false, 0};
    }
}

// What the model knows of one element.
struct Element {
    std::vector<unsigned char> bytes;    // plain values
    std::optional<std::u16string> text;  // strings (none: a null BSTR); a variant's string
    VARTYPE variant_type = VT_EMPTY;     // variants: VT_EMPTY, VT_I4 or VT_BSTR
    LONG number = 0;                     // a variant's VT_I4
    IUnknown* object = nullptr;          // objects
};

struct Model {
    SAFEARRAY* array = nullptr;
    VARTYPE vt = VT_EMPTY;
    std::vector<SAFEARRAYBOUND> bounds;  // leftmost dimension first
    std::vector<Element> elements;       // in memory order: the leftmost dimension fastest
    ULONG locks = 0;
};

class Run {
public:
    explicit Run(FuzzedDataProvider& in) : in_(in) {
        for (int i = 0; i < 3; ++i) {
            VARIANT nothing{};
            objects_.push_back(pg_fuzz::MakeValueObject(nothing, S_OK));
        }
    }
    ~Run() {
        for (Model& m : slots_) {
            if (!m.array) continue;
            for (; m.locks > 0; --m.locks) SafeArrayUnlock(m.array);
            SafeArrayDestroy(m.array);
        }
    }

    void step() {
        const int op = in_.ConsumeIntegralInRange(0, 11);
        if (std::getenv("PG_FUZZ_TRACE")) std::fprintf(stderr, "op %d\n", op);
        switch (op) {
        case 0: create(false); break;
        case 1: create(true); break;
        case 2: case 3: put(); break;
        case 4: case 5: get(); break;
        case 6: copy(); break;
        case 7: destroy(); break;
        case 8: lock(); break;
        case 9: bounds(); break;
        case 10: read_data(); break;
        default: null_arguments(); break;
        }
    }

private:
    Model& slot() { return slots_[in_.ConsumeIntegralInRange<std::size_t>(0, kSlots - 1)]; }
    Model* live() {
        Model& m = slot();
        return m.array ? &m : nullptr;
    }

    VARTYPE element_type() {
        static constexpr VARTYPE kTypes[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT,
                                             VT_I8, VT_UI8, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL, VT_ERROR,
                                             VT_DECIMAL, VT_BSTR, VT_VARIANT, VT_UNKNOWN, VT_DISPATCH,
                                             VT_EMPTY, VT_NULL, VT_RECORD, VT_VOID, VT_I4 | VT_BYREF,
                                             VT_ARRAY | VT_I4, 15};
        return in_.ConsumeIntegralInRange(0, 9) == 0 ? in_.ConsumeIntegral<VARTYPE>() : in_.PickValueInArray(kTypes);
    }

    void create(bool vector) {
        Model& m = slot();
        if (m.array) return;
        const VARTYPE vt = element_type();
        std::vector<SAFEARRAYBOUND> bounds;
        const UINT dims = vector ? 1 : in_.ConsumeIntegralInRange<UINT>(0, 5);
        for (UINT d = 0; d < dims; ++d) {
            SAFEARRAYBOUND b;
            b.cElements = in_.ConsumeIntegralInRange(0, 7) == 0 ? in_.ConsumeIntegral<ULONG>()
                                                                : in_.ConsumeIntegralInRange<ULONG>(0, 5);
            b.lLbound = in_.ConsumeIntegralInRange(0, 7) == 0 ? in_.ConsumeIntegral<LONG>()
                                                              : in_.ConsumeIntegralInRange<LONG>(-4, 4);
            bounds.push_back(b);
        }
        // What the model expects.
        const ElementKind kind = kind_of(vt);
        bool valid = kind.supported && dims > 0;
        unsigned __int128 bytes = kind.size;
        for (const SAFEARRAYBOUND& b : bounds) {
            const long long upper = static_cast<long long>(b.lLbound) + b.cElements - 1;
            if (upper < INT32_MIN || upper > INT32_MAX) valid = false;
            bytes *= b.cElements;
        }
        if (bytes > 0xFFFFFFFFull) valid = false;
        if (valid && bytes > kLargestMade) return;

        SAFEARRAY* array = vector ? SafeArrayCreateVector(vt, bounds[0].lLbound, bounds[0].cElements)
                                  : SafeArrayCreate(vt, dims, bounds.empty() ? nullptr : bounds.data());
        if ((array != nullptr) != valid) {
            std::fprintf(stderr, "SafeArrayCreate(vt 0x%x, %u dimensions:", vt, dims);
            for (const SAFEARRAYBOUND& b : bounds) std::fprintf(stderr, " [%d, %u elements]", b.lLbound, b.cElements);
            std::fprintf(stderr, ") gave %p\n", static_cast<void*>(array));
        }
        PG_FUZZ_CHECK((array != nullptr) == valid, "SafeArrayCreate accepted or refused against the model");
        if (!array) return;
        m.array = array;
        m.vt = vt;
        m.bounds = bounds;
        m.locks = 0;
        m.elements.assign(static_cast<std::size_t>(bytes / kind.size), Element{});
        for (Element& e : m.elements) e.bytes.assign(kind.size, 0);
        PG_FUZZ_CHECK(array->cbElements == kind.size, "the element size is not the type's");
        PG_FUZZ_CHECK(SafeArrayGetDim(array) == dims, "the dimensions are not those given");
    }

    // Indices for m (leftmost first), sometimes outside the bounds; the element's position
    // in memory order, or -1 when outside.
    long long indices(const Model& m, std::vector<LONG>& out) {
        out.clear();
        __int128 position = 0, stride = 1;  // dimensions without elements allow any others
        bool inside = true;
        for (const SAFEARRAYBOUND& b : m.bounds) {
            LONG index;
            if (in_.ConsumeIntegralInRange(0, 7) == 0) {
                index = in_.ConsumeIntegral<LONG>();
            } else {
                const long long offset = in_.ConsumeIntegralInRange<long long>(-1, b.cElements);
                index = static_cast<LONG>(static_cast<std::uint32_t>(b.lLbound + offset));  // wraps at the ends
            }
            out.push_back(index);
            const long long offset = static_cast<long long>(index) - b.lLbound;
            if (offset < 0 || offset >= static_cast<long long>(b.cElements)) inside = false;
            if (inside) position += offset * stride;  // the array has at most kLargestMade bytes
            stride *= b.cElements;
        }
        return inside ? static_cast<long long>(position) : -1;
    }

    void put() {
        Model* m = live();
        if (!m) return;
        std::vector<LONG> at;
        const long long position = indices(*m, at);
        Element value;
        HRESULT hr;
        if (m->vt == VT_BSTR) {
            // A null string is stored as an empty one, as the platform stores it.
            comrt::Bstr text;
            value.text = u"";
            if (in_.ConsumeBool()) {
                std::u16string s;
                for (int n = in_.ConsumeIntegralInRange(0, 6); n > 0; --n) s += in_.ConsumeIntegral<char16_t>();
                text = comrt::Bstr(s);
                value.text = s;
            }
            hr = SafeArrayPutElement(m->array, at.data(), text.get());
        } else if (m->vt == VT_VARIANT) {
            comrt::Variant v;
            switch (in_.ConsumeIntegralInRange(0, 2)) {
            case 0: break;
            case 1:
                v->vt = VT_I4;
                v->lVal = value.number = in_.ConsumeIntegral<LONG>();
                break;
            default: {
                std::u16string s;
                for (int n = in_.ConsumeIntegralInRange(0, 6); n > 0; --n) s += in_.ConsumeIntegral<char16_t>();
                v->bstrVal = comrt::Bstr(s).detach();
                v->vt = VT_BSTR;
                value.text = s;
            }
            }
            value.variant_type = v.vt();
            hr = SafeArrayPutElement(m->array, at.data(), v.get());
        } else if (m->vt == VT_DISPATCH || m->vt == VT_UNKNOWN) {
            IDispatch* object = in_.ConsumeBool() ? objects_[in_.ConsumeIntegralInRange<std::size_t>(0, 2)].get() : nullptr;
            value.object = object;
            hr = SafeArrayPutElement(m->array, at.data(), object);
        } else {
            value.bytes = in_.ConsumeBytes<unsigned char>(m->array->cbElements);
            value.bytes.resize(m->array->cbElements);
            hr = SafeArrayPutElement(m->array, at.data(), value.bytes.data());
        }
        if (std::getenv("PG_FUZZ_TRACE")) {
            std::fprintf(stderr, "put %p vt %x position %lld:", static_cast<void*>(m->array), m->vt, position);
            for (LONG i : at) std::fprintf(stderr, " %d", i);
            std::fprintf(stderr, " -> %x (%s)\n", static_cast<unsigned>(hr), value.text ? "text" : "no text");
        }
        if (position < 0) {
            PG_FUZZ_CHECK(hr == DISP_E_BADINDEX, "a put outside the bounds did not fail with DISP_E_BADINDEX");
            return;
        }
        PG_FUZZ_CHECK(hr == S_OK, "a put inside the bounds failed");
        m->elements[static_cast<std::size_t>(position)] = value;
    }

    void check_element(const Model& m, const Element& e, const void* element) {
        if (m.vt == VT_BSTR) {
            BSTR s;
            std::memcpy(&s, element, sizeof s);
            if (std::getenv("PG_FUZZ_TRACE"))
                std::fprintf(stderr, "string %p (%u units), model %s\n", static_cast<void*>(s), SysStringLen(s),
                             e.text ? "text" : "null");
            PG_FUZZ_CHECK((s != nullptr) == e.text.has_value(), "a null string came back other than null");
            if (s) PG_FUZZ_CHECK(comrt::Bstr::view_of(s) == *e.text, "a string came back with another text");
        } else if (m.vt == VT_VARIANT) {
            const auto* v = static_cast<const VARIANT*>(element);
            PG_FUZZ_CHECK(v->vt == e.variant_type, "a variant came back with another type");
            if (v->vt == VT_I4) PG_FUZZ_CHECK(v->lVal == e.number, "a variant came back with another number");
            if (v->vt == VT_BSTR) PG_FUZZ_CHECK(comrt::Bstr::view_of(v->bstrVal) == *e.text, "a variant's text changed");
        } else if (m.vt == VT_DISPATCH || m.vt == VT_UNKNOWN) {
            IUnknown* p;
            std::memcpy(&p, element, sizeof p);
            PG_FUZZ_CHECK(p == e.object, "an object came back as another");
        } else {
            PG_FUZZ_CHECK(std::memcmp(element, e.bytes.data(), e.bytes.size()) == 0, "a value came back changed");
        }
    }

    void get() {
        Model* m = live();
        if (!m) return;
        std::vector<LONG> at;
        const long long position = indices(*m, at);
        alignas(VARIANT) unsigned char out[sizeof(VARIANT)];
        std::memset(out, 0xA5, sizeof out);
        const HRESULT hr = SafeArrayGetElement(m->array, at.data(), out);
        if (position < 0) {
            PG_FUZZ_CHECK(hr == DISP_E_BADINDEX, "a get outside the bounds did not fail with DISP_E_BADINDEX");
            return;
        }
        PG_FUZZ_CHECK(hr == S_OK, "a get inside the bounds failed");
        check_element(*m, m->elements[static_cast<std::size_t>(position)], out);
        // The caller owns what it got.
        if (m->vt == VT_BSTR) {
            BSTR s;
            std::memcpy(&s, out, sizeof s);
            SysFreeString(s);
        } else if (m->vt == VT_VARIANT) {
            VariantClear(reinterpret_cast<VARIANT*>(out));
        } else if (m->vt == VT_DISPATCH || m->vt == VT_UNKNOWN) {
            IUnknown* p;
            std::memcpy(&p, out, sizeof p);
            if (p) p->Release();
        }
    }

    void copy() {
        Model* m = live();
        Model& to = slot();
        if (!m || to.array) return;
        SAFEARRAY* copied = reinterpret_cast<SAFEARRAY*>(1);
        PG_FUZZ_CHECK(SafeArrayCopy(m->array, &copied) == S_OK, "a copy failed");
        PG_FUZZ_CHECK(copied && copied != m->array, "a copy is not a new array");
        PG_FUZZ_CHECK(copied->cLocks == 0, "a copy is locked");
        to = *m;
        to.array = copied;
        to.locks = 0;
        VARTYPE vt = VT_EMPTY;
        PG_FUZZ_CHECK(SafeArrayGetVartype(copied, &vt) == S_OK && vt == m->vt, "a copy has another element type");
    }

    void destroy() {
        Model* m = live();
        if (!m) return;
        const HRESULT hr = SafeArrayDestroy(m->array);
        if (m->locks > 0) {
            PG_FUZZ_CHECK(hr == DISP_E_ARRAYISLOCKED, "a locked array was destroyed");
            return;
        }
        PG_FUZZ_CHECK(hr == S_OK, "an unlocked array could not be destroyed");
        *m = Model{};
    }

    void lock() {
        Model* m = live();
        if (!m) return;
        switch (in_.ConsumeIntegralInRange(0, 3)) {
        case 0:
            PG_FUZZ_CHECK(SafeArrayLock(m->array) == S_OK, "a lock failed");
            ++m->locks;
            break;
        case 1: {
            void* data = nullptr;
            PG_FUZZ_CHECK(SafeArrayAccessData(m->array, &data) == S_OK && data, "access to the data failed");
            ++m->locks;
            break;
        }
        default: {
            const HRESULT hr = in_.ConsumeBool() ? SafeArrayUnlock(m->array) : SafeArrayUnaccessData(m->array);
            PG_FUZZ_CHECK(hr == (m->locks > 0 ? S_OK : E_UNEXPECTED), "an unlock against the model");
            if (m->locks > 0) --m->locks;
        }
        }
        PG_FUZZ_CHECK(m->array->cLocks == m->locks, "the lock count is not the model's");
    }

    void bounds() {
        Model* m = live();
        if (!m) return;
        const UINT dims = static_cast<UINT>(m->bounds.size());
        PG_FUZZ_CHECK(SafeArrayGetDim(m->array) == dims, "the dimensions changed");
        const UINT d = in_.ConsumeIntegralInRange<UINT>(0, dims + 1);
        LONG lower = 77, upper = 77;
        const HRESULT hl = SafeArrayGetLBound(m->array, d, &lower);
        const HRESULT hu = SafeArrayGetUBound(m->array, d, &upper);
        if (d == 0 || d > dims) {
            PG_FUZZ_CHECK(hl == DISP_E_BADINDEX && hu == DISP_E_BADINDEX, "a dimension outside the array");
            PG_FUZZ_CHECK(lower == 77 && upper == 77, "a failing bound was written");
            return;
        }
        const SAFEARRAYBOUND& b = m->bounds[d - 1];
        PG_FUZZ_CHECK(hl == S_OK && lower == b.lLbound, "a lower bound against the model");
        PG_FUZZ_CHECK(hu == S_OK && upper == static_cast<LONG>(b.lLbound + static_cast<long long>(b.cElements) - 1),
                      "an upper bound against the model");
        VARTYPE vt = VT_EMPTY;
        PG_FUZZ_CHECK(SafeArrayGetVartype(m->array, &vt) == S_OK && vt == m->vt, "the element type changed");
    }

    void read_data() {
        Model* m = live();
        if (!m) return;
        void* data = nullptr;
        PG_FUZZ_CHECK(SafeArrayAccessData(m->array, &data) == S_OK, "access to the data failed");
        for (std::size_t i = 0; i < m->elements.size(); ++i) {
            if (std::getenv("PG_FUZZ_TRACE")) std::fprintf(stderr, "read %p element %zu\n", static_cast<void*>(m->array), i);
            check_element(*m, m->elements[i], static_cast<unsigned char*>(data) + i * m->array->cbElements);
        }
        PG_FUZZ_CHECK(SafeArrayUnaccessData(m->array) == S_OK, "unaccess failed");
    }

    void null_arguments() {
        Model* m = live();
        LONG index = 0;
        VARTYPE vt;
        void* data = reinterpret_cast<void*>(1);
        PG_FUZZ_CHECK(SafeArrayGetElement(nullptr, &index, &vt) == E_INVALIDARG, "a get from no array");
        PG_FUZZ_CHECK(SafeArrayAccessData(nullptr, &data) == E_INVALIDARG && data == nullptr, "access to no array");
        PG_FUZZ_CHECK(SafeArrayDestroy(nullptr) == S_OK, "destroying no array");
        SAFEARRAY* copied = reinterpret_cast<SAFEARRAY*>(1);
        PG_FUZZ_CHECK(SafeArrayCopy(nullptr, &copied) == S_OK && copied == nullptr, "copying no array");
        if (!m) return;
        PG_FUZZ_CHECK(SafeArrayGetElement(m->array, nullptr, &vt) == E_INVALIDARG, "a get without indices");
        PG_FUZZ_CHECK(SafeArrayGetVartype(m->array, nullptr) == E_INVALIDARG, "a type into nowhere");
        PG_FUZZ_CHECK(SafeArrayCopy(m->array, nullptr) == E_INVALIDARG, "a copy into nowhere");
    }

    FuzzedDataProvider& in_;
    std::array<Model, kSlots> slots_;
    std::vector<comrt::ComPtr<IDispatch>> objects_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Run run(in);
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) run.step();
    return 0;
}
