// One table of string, array and variant operations, VariantChangeType conversions and
// late-bound calls, printed one result per line. Built against comrt on Linux and against
// the system's oleaut32 for Windows (run under Wine); scripts/windows.sh compares the two
// outputs line by line (compare_table.py), so that the stand-in behaves as the platform does.
//
// The late-bound calls go to Tessel's objects, from the library's class factories: on Linux
// through comrt's IDispatch, generated from the type description; on Windows through the
// system's own dispatch (CreateStdDispatch over the object's vtable interface and the type
// information of Tessel's registered type library: scripts/windows.sh registers tessel.dll
// around the run).
//
// A row whose result may differ says so in the table, with the documented behaviour that
// decides it; its line starts with "~" and the comparison reports it without failing.
// Every other line must be the same on both.
//
//     differential_table          prints the table
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/objbase.h>
#include <comrt/oleauto.h>
#include <comrt/text.h>
#include <tessel/tessel.h>
#ifndef _WIN32
#include <testing/server_library.h>
#endif

namespace {

std::string hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::string number(double d) {
    if (std::isnan(d)) return "nan";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", d);
    return text;
}

// Text as printable ASCII, every other code unit as \uXXXX.
std::string quoted(const OLECHAR* s, UINT length) {
    std::string out = "\"";
    for (UINT i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned>(s[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
            out += escaped;
        }
    }
    return out + "\"";
}

std::string bstr_text(BSTR s) { return s ? quoted(s, SysStringLen(s)) : "null"; }

std::string array_text(SAFEARRAY* psa);

// A variant's type and value.
std::string variant_text(const VARIANT& v) {
    const std::string vt = "vt " + std::to_string(v.vt) + " ";
    if (v.vt & VT_ARRAY) return vt + array_text((v.vt & VT_BYREF) ? *v.pparray : v.parray);
    switch (v.vt) {
    case VT_EMPTY: return "empty";
    case VT_NULL: return "null";
    case VT_I1: return vt + std::to_string(static_cast<int>(v.cVal));
    case VT_UI1: return vt + std::to_string(v.bVal);
    case VT_I2: return vt + std::to_string(v.iVal);
    case VT_UI2: return vt + std::to_string(v.uiVal);
    case VT_I4: return vt + std::to_string(v.lVal);
    case VT_UI4: return vt + std::to_string(v.ulVal);
    case VT_INT: return vt + std::to_string(v.intVal);
    case VT_UINT: return vt + std::to_string(v.uintVal);
    case VT_I8: return vt + std::to_string(v.llVal);
    case VT_UI8: return vt + std::to_string(v.ullVal);
    case VT_R4: return vt + number(v.fltVal);
    case VT_R8: return vt + number(v.dblVal);
    case VT_DATE: return vt + number(v.date);
    case VT_CY: return vt + std::to_string(v.cyVal.int64);
    case VT_BOOL: return vt + std::to_string(v.boolVal);
    case VT_ERROR: return vt + hex(v.scode);
    case VT_BSTR: return vt + bstr_text(v.bstrVal);
    case VT_DISPATCH:
    case VT_UNKNOWN: return vt + (v.punkVal ? "object" : "no object");
    default: return vt + "?";
    }
}

std::string array_text(SAFEARRAY* psa) {
    if (!psa) return "no array";
    const UINT dims = SafeArrayGetDim(psa);
    VARTYPE vt = VT_EMPTY;
    const HRESULT type = SafeArrayGetVartype(psa, &vt);
    std::string out = "array dims " + std::to_string(dims) + " cbElements " + std::to_string(psa->cbElements) +
                      " vartype " + (SUCCEEDED(type) ? std::to_string(vt) : hex(type));
    for (UINT d = 1; d <= dims; ++d) {
        LONG lower = 0, upper = 0;
        SafeArrayGetLBound(psa, d, &lower);
        SafeArrayGetUBound(psa, d, &upper);
        out += " [" + std::to_string(lower) + ".." + std::to_string(upper) + "]";
    }
    if (dims == 1 && SUCCEEDED(type) && (vt == VT_BSTR || vt == VT_VARIANT || vt == VT_I4)) {
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(psa, 1, &lower);
        SafeArrayGetUBound(psa, 1, &upper);
        out += " {";
        for (LONG i = lower; i <= upper && i < lower + 8; ++i) {
            VARIANT element;
            VariantInit(&element);
            element.vt = vt;
            if (vt == VT_VARIANT) {
                SafeArrayGetElement(psa, &i, &element);
            } else {
                SafeArrayGetElement(psa, &i, &element.llVal);
            }
            out += (i == lower ? "" : ", ") + variant_text(element);
            VariantClear(&element);
        }
        out += "}";
    }
    return out;
}

VARIANT of(VARTYPE vt) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}
VARIANT i2(SHORT x) { VARIANT v = of(VT_I2); v.iVal = x; return v; }
VARIANT i4(LONG x) { VARIANT v = of(VT_I4); v.lVal = x; return v; }
VARIANT ui1(BYTE x) { VARIANT v = of(VT_UI1); v.bVal = x; return v; }
VARIANT ui4(ULONG x) { VARIANT v = of(VT_UI4); v.ulVal = x; return v; }
VARIANT r4(float x) { VARIANT v = of(VT_R4); v.fltVal = x; return v; }
VARIANT r8(double x) { VARIANT v = of(VT_R8); v.dblVal = x; return v; }
VARIANT date(double x) { VARIANT v = of(VT_DATE); v.date = x; return v; }
VARIANT cy(LONGLONG scaled) { VARIANT v = of(VT_CY); v.cyVal.int64 = scaled; return v; }
VARIANT boolean(bool x) { VARIANT v = of(VT_BOOL); v.boolVal = x ? VARIANT_TRUE : VARIANT_FALSE; return v; }
VARIANT error(SCODE x) { VARIANT v = of(VT_ERROR); v.scode = x; return v; }
VARIANT text(const OLECHAR* s) { VARIANT v = of(VT_BSTR); v.bstrVal = SysAllocString(s); return v; }

struct Row {
    std::string id;
    std::function<std::string()> run;
    const char* documented = nullptr;  // why this row may differ, or null
};

std::vector<Row> rows;

void row(std::string id, std::function<std::string()> run, const char* documented = nullptr) {
    rows.push_back({std::move(id), std::move(run), documented});
}

// ---- strings ------------------------------------------------------------------------------------

void string_rows() {
    row("SysAllocString(\"abc\")", [] {
        BSTR s = SysAllocString(OLESTR("abc"));
        std::string out = bstr_text(s) + " len " + std::to_string(SysStringLen(s)) + " bytes " +
                          std::to_string(SysStringByteLen(s));
        SysFreeString(s);
        return out;
    });
    row("SysAllocString(\"\")", [] {
        BSTR s = SysAllocString(OLESTR(""));
        std::string out = std::string(s ? "a string" : "null") + " len " + std::to_string(SysStringLen(s));
        SysFreeString(s);
        return out;
    });
    row("SysAllocString(null)", [] {
        BSTR s = SysAllocString(nullptr);
        std::string out = s ? "a string" : "null";
        SysFreeString(s);
        return out;
    });
    row("SysAllocStringLen(\"abc\", 2)", [] {
        BSTR s = SysAllocStringLen(OLESTR("abc"), 2);
        std::string out = bstr_text(s) + " terminated " + std::to_string(s[2] == 0);
        SysFreeString(s);
        return out;
    });
    row("SysAllocStringLen(\"a\\0b\", 3)", [] {
        BSTR s = SysAllocStringLen(OLESTR("a\0b"), 3);
        std::string out = bstr_text(s) + " len " + std::to_string(SysStringLen(s));
        SysFreeString(s);
        return out;
    });
    row("SysAllocStringLen(null, 4)", [] {
        BSTR s = SysAllocStringLen(nullptr, 4);
        std::string out = std::string(s ? "a string" : "null") + " len " + std::to_string(SysStringLen(s)) +
                          " terminated " + std::to_string(s && s[4] == 0);
        SysFreeString(s);
        return out;
    });
    row("SysAllocStringByteLen(\"abc\", 3)", [] {
        BSTR s = SysAllocStringByteLen("abc", 3);
        std::string out = "len " + std::to_string(SysStringLen(s)) + " bytes " + std::to_string(SysStringByteLen(s)) +
                          " first bytes " + std::string(reinterpret_cast<const char*>(s), 3);
        SysFreeString(s);
        return out;
    });
    row("SysStringLen(null), SysStringByteLen(null)",
        [] { return std::to_string(SysStringLen(nullptr)) + " " + std::to_string(SysStringByteLen(nullptr)); });
}

// ---- arrays ---------------------------------------------------------------------------------------

std::string with_array(SAFEARRAY* psa, const std::function<std::string(SAFEARRAY*)>& use) {
    if (!psa) return "no array";
    std::string out = use(psa);
    SafeArrayDestroy(psa);
    return out;
}

void array_rows() {
    const struct {
        const char* name;
        VARTYPE vt;
    } types[] = {{"VT_I2", VT_I2}, {"VT_I4", VT_I4}, {"VT_R8", VT_R8}, {"VT_BSTR", VT_BSTR},
                 {"VT_VARIANT", VT_VARIANT}, {"VT_BOOL", VT_BOOL}, {"VT_DECIMAL", VT_DECIMAL},
                 {"VT_UNKNOWN", VT_UNKNOWN}, {"VT_DISPATCH", VT_DISPATCH}, {"VT_CY", VT_CY}};
    for (const auto& t : types) {
        const VARTYPE vt = t.vt;
        row(std::string("SafeArrayCreateVector(") + t.name + ", 1, 3)", [vt] {
            return with_array(SafeArrayCreateVector(vt, 1, 3), [](SAFEARRAY* psa) { return array_text(psa); });
        });
    }
    row("SafeArrayCreateVector(VT_EMPTY, 0, 1)",
        [] { return with_array(SafeArrayCreateVector(VT_EMPTY, 0, 1), array_text); });
    row("SafeArrayCreateVector(VT_NULL, 0, 1)",
        [] { return with_array(SafeArrayCreateVector(VT_NULL, 0, 1), array_text); });
    row("SafeArrayCreate(VT_VARIANT, 2, {2 from 0, 3 from -1})", [] {
        SAFEARRAYBOUND bounds[] = {{2, 0}, {3, -1}};
        return with_array(SafeArrayCreate(VT_VARIANT, 2, bounds), array_text);
    });
    row("SafeArrayCreate(VT_I4, 0 dimensions)", [] {
        SAFEARRAYBOUND bound{1, 0};
        return with_array(SafeArrayCreate(VT_I4, 0, &bound), array_text);
    });
    row("SafeArrayCreateVector(VT_BSTR, 0, 0)", [] { return with_array(SafeArrayCreateVector(VT_BSTR, 0, 0), array_text); });
    row("SafeArrayGetLBound, GetUBound of dimension 0 and 2 of a vector", [] {
        return with_array(SafeArrayCreateVector(VT_I4, 0, 2), [](SAFEARRAY* psa) {
            LONG bound = 77;
            const HRESULT a = SafeArrayGetLBound(psa, 0, &bound);
            const HRESULT b = SafeArrayGetUBound(psa, 2, &bound);
            return hex(a) + " " + hex(b) + " " + std::to_string(bound);
        });
    });
    row("SafeArrayGetElement / PutElement outside the bounds", [] {
        return with_array(SafeArrayCreateVector(VT_I4, 1, 2), [](SAFEARRAY* psa) {
            LONG index = 0, value = 5;
            const HRESULT put = SafeArrayPutElement(psa, &index, &value);
            index = 3;
            const HRESULT get = SafeArrayGetElement(psa, &index, &value);
            return hex(put) + " " + hex(get);
        });
    });
    row("SafeArrayPutElement of a string copies it; GetElement gives a copy", [] {
        return with_array(SafeArrayCreateVector(VT_BSTR, 0, 1), [](SAFEARRAY* psa) {
            LONG index = 0;
            BSTR given = SysAllocString(OLESTR("given"));
            const HRESULT put = SafeArrayPutElement(psa, &index, given);
            given[0] = 'G';
            BSTR got = nullptr;
            const HRESULT get = SafeArrayGetElement(psa, &index, &got);
            std::string out = hex(put) + " " + hex(get) + " " + bstr_text(got) + " distinct " + std::to_string(got != given);
            SysFreeString(given);
            SysFreeString(got);
            return out;
        });
    });
    row("SafeArrayPutElement of a null string", [] {
        return with_array(SafeArrayCreateVector(VT_BSTR, 0, 1), [](SAFEARRAY* psa) {
            LONG index = 0;
            const HRESULT put = SafeArrayPutElement(psa, &index, nullptr);
            BSTR got = nullptr;
            const HRESULT get = SafeArrayGetElement(psa, &index, &got);
            std::string out = hex(put) + " " + hex(get) + " " + bstr_text(got);
            SysFreeString(got);
            return out;
        });
    });
    row("a new string array's element: raw, and through GetElement", [] {
        return with_array(SafeArrayCreateVector(VT_BSTR, 0, 1), [](SAFEARRAY* psa) {
            LONG index = 0;
            const BSTR raw = *static_cast<BSTR*>(psa->pvData);
            BSTR got = nullptr;
            const HRESULT get = SafeArrayGetElement(psa, &index, &got);
            std::string out = bstr_text(raw) + " " + hex(get) + " " + bstr_text(got);
            SysFreeString(got);
            return out;
        });
    });
    row("PutElement of a null string, read raw", [] {
        return with_array(SafeArrayCreateVector(VT_BSTR, 0, 1), [](SAFEARRAY* psa) {
            LONG index = 0;
            const HRESULT put = SafeArrayPutElement(psa, &index, nullptr);
            return hex(put) + " " + bstr_text(*static_cast<BSTR*>(psa->pvData));
        });
    });
    row("SafeArrayCopy of a null string element, read raw", [] {
        return with_array(SafeArrayCreateVector(VT_BSTR, 0, 1), [](SAFEARRAY* psa) {
            SAFEARRAY* copy = nullptr;
            const HRESULT hr = SafeArrayCopy(psa, &copy);
            std::string out = hex(hr) + " " + (copy ? bstr_text(*static_cast<BSTR*>(copy->pvData)) : "no copy");
            SafeArrayDestroy(copy);
            return out;
        });
    });
    row("SafeArrayLock twice, Destroy, Unlock thrice", [] {
        SAFEARRAY* psa = SafeArrayCreateVector(VT_I4, 0, 1);
        const HRESULT a = SafeArrayLock(psa), b = SafeArrayLock(psa);
        const ULONG locks = psa->cLocks;
        const HRESULT d = SafeArrayDestroy(psa);
        const HRESULT u1 = SafeArrayUnlock(psa), u2 = SafeArrayUnlock(psa), u3 = SafeArrayUnlock(psa);
        const HRESULT d2 = SafeArrayDestroy(psa);
        return hex(a) + " " + hex(b) + " locks " + std::to_string(locks) + " destroy " + hex(d) + " unlock " + hex(u1) +
               " " + hex(u2) + " " + hex(u3) + " destroy " + hex(d2);
    });
    row("SafeArrayAccessData / UnaccessData", [] {
        return with_array(SafeArrayCreateVector(VT_I4, 0, 2), [](SAFEARRAY* psa) {
            void* data = nullptr;
            const HRESULT a = SafeArrayAccessData(psa, &data);
            const ULONG locks = psa->cLocks;
            const HRESULT u = SafeArrayUnaccessData(psa);
            const HRESULT u2 = SafeArrayUnaccessData(psa);
            return hex(a) + " same data " + std::to_string(data == psa->pvData) + " locks " + std::to_string(locks) +
                   " " + hex(u) + " " + hex(u2);
        });
    });
    row("SafeArrayCopy(null)", [] {
        SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
        const HRESULT hr = SafeArrayCopy(nullptr, &copy);
        return hex(hr) + " " + (copy ? "an array" : "null");
    });
    row("SafeArrayCopy of strings, bounds from 5", [] {
        return with_array(SafeArrayCreateVector(VT_BSTR, 5, 2), [](SAFEARRAY* psa) {
            LONG index = 6;
            BSTR s = SysAllocString(OLESTR("six"));
            SafeArrayPutElement(psa, &index, s);
            SysFreeString(s);
            SAFEARRAY* copy = nullptr;
            const HRESULT hr = SafeArrayCopy(psa, &copy);
            std::string out = hex(hr) + " " + array_text(copy) + " features " + std::to_string(copy ? copy->fFeatures : 0);
            SafeArrayDestroy(copy);
            return out;
        });
    });
    row("SafeArrayCopy of a locked array", [] {
        return with_array(SafeArrayCreateVector(VT_I4, 0, 1), [](SAFEARRAY* psa) {
            SafeArrayLock(psa);
            SAFEARRAY* copy = nullptr;
            const HRESULT hr = SafeArrayCopy(psa, &copy);
            std::string out = hex(hr) + " locks " + std::to_string(copy ? copy->cLocks : 99);
            SafeArrayDestroy(copy);
            SafeArrayUnlock(psa);
            return out;
        });
    });
    row("SafeArrayCopy of strings whose data pointer is null", [] {
        return with_array(SafeArrayCreateVector(VT_BSTR, 0, 2), [](SAFEARRAY* psa) {
            void* data = psa->pvData;
            psa->pvData = nullptr;
            SAFEARRAY* copy = nullptr;
            const HRESULT hr = SafeArrayCopy(psa, &copy);
            psa->pvData = data;
            std::string out = hex(hr) + " " + (copy ? "an array" : "null");
            if (copy) out += std::string(" with ") + (copy->pvData ? "data" : "no data");
            SafeArrayDestroy(copy);
            return out;
        });
    });
    row("SafeArrayCopy of strings whose element size is 0", [] {
        return with_array(SafeArrayCreateVector(VT_BSTR, 0, 2), [](SAFEARRAY* psa) {
            const ULONG size = psa->cbElements;
            psa->cbElements = 0;
            SAFEARRAY* copy = nullptr;
            const HRESULT hr = SafeArrayCopy(psa, &copy);
            psa->cbElements = size;
            std::string out = hex(hr) + " " + (copy ? "an array" : "null");
            SafeArrayDestroy(copy);
            return out;
        });
    });
    row("SafeArrayGetVartype(null)", [] {
        VARTYPE vt = 77;
        return hex(SafeArrayGetVartype(nullptr, &vt));
    });
}

// ---- variants ---------------------------------------------------------------------------------------

void variant_rows() {
    row("VariantClear of a string", [] {
        VARIANT v = text(OLESTR("x"));
        const HRESULT hr = VariantClear(&v);
        return hex(hr) + " " + variant_text(v);
    });
    row("VariantClear of type 0x7F", [] {
        VARIANT v = of(0x7F);
        const HRESULT hr = VariantClear(&v);
        return hex(hr) + " vt " + std::to_string(v.vt);
    });
    row("VariantCopy of a string", [] {
        VARIANT v = text(OLESTR("copied")), c = of(VT_EMPTY);
        const HRESULT hr = VariantCopy(&c, &v);
        std::string out = hex(hr) + " " + variant_text(c) + " distinct " + std::to_string(c.bstrVal != v.bstrVal);
        VariantClear(&v);
        VariantClear(&c);
        return out;
    });
    row("VariantCopy of a null string", [] {
        VARIANT v = of(VT_BSTR), c = of(VT_EMPTY);
        v.bstrVal = nullptr;
        const HRESULT hr = VariantCopy(&c, &v);
        std::string out = hex(hr) + " " + variant_text(c);
        VariantClear(&c);
        return out;
    });
    row("VariantCopyInd of a reference to a null string", [] {
        BSTR s = nullptr;
        VARIANT v = of(VT_BYREF | VT_BSTR), c = of(VT_EMPTY);
        v.pbstrVal = &s;
        const HRESULT hr = VariantCopyInd(&c, &v);
        std::string out = hex(hr) + " " + variant_text(c);
        VariantClear(&c);
        return out;
    });
    row("VariantCopy of type 0x7F", [] {
        VARIANT v = of(0x7F), c = i4(5);
        const HRESULT hr = VariantCopy(&c, &v);
        return hex(hr) + " " + variant_text(c);
    });
    row("VariantCopyInd of VT_BYREF|VT_I4", [] {
        LONG value = 42;
        VARIANT v = of(VT_BYREF | VT_I4), c = of(VT_EMPTY);
        v.plVal = &value;
        const HRESULT hr = VariantCopyInd(&c, &v);
        return hex(hr) + " " + variant_text(c);
    });
    row("VariantCopyInd of VT_BYREF|VT_VARIANT holding a string", [] {
        VARIANT inner = text(OLESTR("inner")), v = of(VT_BYREF | VT_VARIANT), c = of(VT_EMPTY);
        v.pvarVal = &inner;
        const HRESULT hr = VariantCopyInd(&c, &v);
        std::string out = hex(hr) + " " + variant_text(c);
        VariantClear(&inner);
        VariantClear(&c);
        return out;
    });
    row("VariantCopyInd of VT_BYREF|VT_BSTR into itself", [] {
        BSTR s = SysAllocString(OLESTR("self"));
        VARIANT v = of(VT_BYREF | VT_BSTR);
        v.pbstrVal = &s;
        const HRESULT hr = VariantCopyInd(&v, &v);
        std::string out = hex(hr) + " " + variant_text(v);
        VariantClear(&v);
        SysFreeString(s);
        return out;
    });
}

// ---- VariantChangeType -----------------------------------------------------------------------------

struct Source {
    std::string name;
    std::function<VARIANT()> make;
};

std::string convert(const VARIANT& source, VARTYPE vt) {
    VARIANT out;
    VariantInit(&out);
    out.vt = VT_I4;  // a value the failure must leave alone
    out.lVal = 77;
    const HRESULT hr = VariantChangeType(&out, &source, 0, vt);
    std::string result = hex(hr) + " " + variant_text(out);
    VariantClear(&out);
    return result;
}

void conversion_rows() {
    std::vector<Source> sources = {
        {"empty", [] { return of(VT_EMPTY); }},
        {"null", [] { return of(VT_NULL); }},
        {"I2 -32768", [] { return i2(-32768); }},
        {"I2 32767", [] { return i2(32767); }},
        {"I4 -2147483648", [] { return i4(INT32_MIN); }},
        {"I4 2147483647", [] { return i4(INT32_MAX); }},
        {"I4 32768", [] { return i4(32768); }},
        {"I4 -32769", [] { return i4(-32769); }},
        {"I4 255", [] { return i4(255); }},
        {"I4 256", [] { return i4(256); }},
        {"I4 -1", [] { return i4(-1); }},
        {"I2 -1", [] { return i2(-1); }},
        {"I4 65536", [] { return i4(65536); }},
        {"UI2 65535", [] { VARIANT v = of(VT_UI2); v.uiVal = 65535; return v; }},
        {"UI1 255", [] { return ui1(255); }},
        {"UI4 4294967295", [] { return ui4(UINT32_MAX); }},
        {"R8 0.5", [] { return r8(0.5); }},
        {"R8 1.5", [] { return r8(1.5); }},
        {"R8 2.5", [] { return r8(2.5); }},
        {"R8 -2.5", [] { return r8(-2.5); }},
        {"R8 32767.5", [] { return r8(32767.5); }},
        {"R8 -32768.5", [] { return r8(-32768.5); }},
        {"R8 32767.499", [] { return r8(32767.499); }},
        {"R8 2147483647.5", [] { return r8(2147483647.5); }},
        {"R8 255.5", [] { return r8(255.5); }},
        {"R8 -0.0", [] { return r8(-0.0); }},
        {"R8 0.1", [] { return r8(0.1); }},
        {"R8 1e300", [] { return r8(1e300); }},
        {"R8 123456789012345678", [] { return r8(123456789012345678.0); }},
        {"R8 1e-5", [] { return r8(1e-5); }},
        {"R4 3.4e38", [] { return r4(3.4e38f); }},
        {"R4 0.1", [] { return r4(0.1f); }},
        {"CY 1.23455", [] { return cy(12345); }},
        {"CY 2.5", [] { return cy(25000); }},
        {"CY -0.5", [] { return cy(-5000); }},
        {"BOOL true", [] { return boolean(true); }},
        {"BOOL false", [] { return boolean(false); }},
        {"DATE 0", [] { return date(0); }},
        {"DATE 36526 (2000-01-01)", [] { return date(36526); }},
        {"DATE 36526.75", [] { return date(36526.75); }},
        {"DATE 1.5", [] { return date(1.5); }},
        {"DATE -1.25", [] { return date(-1.25); }},
        {"DATE 0.5 (noon)", [] { return date(0.5); }},
        {"ERROR 0x80020004", [] { return error(DISP_E_PARAMNOTFOUND); }},
        {"BSTR \"1e400\"", [] { return text(OLESTR("1e400")); }},
        {"BSTR \"&H8000\"", [] { return text(OLESTR("&H8000")); }},
        {"BSTR \"&HFFFF\"", [] { return text(OLESTR("&HFFFF")); }},
        {"BSTR \"&H7FFF\"", [] { return text(OLESTR("&H7FFF")); }},
        {"BSTR \"&H10000\"", [] { return text(OLESTR("&H10000")); }},
        {"BSTR \"&O17\"", [] { return text(OLESTR("&O17")); }},
        {"BSTR \" 12 \"", [] { return text(OLESTR(" 12 ")); }},
        {"BSTR \"-0\"", [] { return text(OLESTR("-0")); }},
        {"BSTR \"\"", [] { return text(OLESTR("")); }},
        {"BSTR null", [] { VARIANT v = of(VT_BSTR); v.bstrVal = nullptr; return v; }},
        {"BSTR \"abc\"", [] { return text(OLESTR("abc")); }},
        {"BSTR \"1.5\"", [] { return text(OLESTR("1.5")); }},
        {"BSTR \"2.5\"", [] { return text(OLESTR("2.5")); }},
        {"BSTR \"32767.5\"", [] { return text(OLESTR("32767.5")); }},
        {"BSTR \"32768\"", [] { return text(OLESTR("32768")); }},
        {"BSTR \"-32768\"", [] { return text(OLESTR("-32768")); }},
        {"BSTR \"+5\"", [] { return text(OLESTR("+5")); }},
        {"BSTR \"1e3\"", [] { return text(OLESTR("1e3")); }},
        {"BSTR \".5\"", [] { return text(OLESTR(".5")); }},
        {"BSTR \"5.\"", [] { return text(OLESTR("5.")); }},
        {"BSTR \"1,000\"", [] { return text(OLESTR("1,000")); }},
        {"BSTR \"-1,000.5\"", [] { return text(OLESTR("-1,000.5")); }},
        {"BSTR \"1,00\"", [] { return text(OLESTR("1,00")); }},
        {"BSTR \",5\"", [] { return text(OLESTR(",5")); }},
        {"BSTR \"1,,0\"", [] { return text(OLESTR("1,,0")); }},
        {"BSTR \"12,\"", [] { return text(OLESTR("12,")); }},
        {"BSTR \"1.5,0\"", [] { return text(OLESTR("1.5,0")); }},
        {"BSTR \"1,0e2\"", [] { return text(OLESTR("1,0e2")); }},
        {"BSTR \"0x10\"", [] { return text(OLESTR("0x10")); }},
        {"BSTR \"1 2\"", [] { return text(OLESTR("1 2")); }},
        {"BSTR \"True\"", [] { return text(OLESTR("True")); }},
        {"BSTR \"false\"", [] { return text(OLESTR("false")); }},
        {"BSTR \"4294967295\"", [] { return text(OLESTR("4294967295")); }},
        {"BSTR \"1/2/2000\"", [] { return text(OLESTR("1/2/2000")); }},
        {"BSTR \"12:30\"", [] { return text(OLESTR("12:30")); }},
    };
    // Dates: the range of DATE, times of day, and dates and times as text.
    const std::vector<Source> date_sources = {
        {"R8 2958465.9", [] { return r8(2958465.9); }},
        {"R8 2958466", [] { return r8(2958466); }},
        {"R8 -657434", [] { return r8(-657434); }},
        {"R8 -657434.5", [] { return r8(-657434.5); }},
        {"R8 -657435", [] { return r8(-657435); }},
        {"I4 2958465", [] { return i4(2958465); }},
        {"I4 2958466", [] { return i4(2958466); }},
        {"I4 -657435", [] { return i4(-657435); }},
        {"CY 2958466", [] { return cy(29584660000LL); }},
        {"DATE 36526.999999", [] { return date(36526.999999); }},
        {"DATE -1.9999999", [] { return date(-1.9999999); }},
        {"DATE 2958465.5 (9999-12-31 noon)", [] { return date(2958465.5); }},
        {"DATE -657434 (100-01-01)", [] { return date(-657434); }},
        {"DATE 3000000", [] { return date(3000000); }},
        {"DATE 60.5 (1900-02-28 noon)", [] { return date(60.5); }},
        {"DATE 36585 (2000-02-29)", [] { return date(36585); }},
        {"DATE 0.000011574 (one second)", [] { return date(1.0 / 86400); }},
        {"BSTR \"1/2/2000 6:00:00 PM\"", [] { return text(OLESTR("1/2/2000 6:00:00 PM")); }},
        {"BSTR \" 12/31/1899 \"", [] { return text(OLESTR(" 12/31/1899 ")); }},
        {"BSTR \"2/29/2000\"", [] { return text(OLESTR("2/29/2000")); }},
        {"BSTR \"1/2/2000 18:30\"", [] { return text(OLESTR("1/2/2000 18:30")); }},
        {"BSTR \"6:00 pm\"", [] { return text(OLESTR("6:00 pm")); }},
        {"BSTR \"12:00:00 AM\"", [] { return text(OLESTR("12:00:00 AM")); }},
        {"BSTR \"12/29/1899 6:00:00 AM\"", [] { return text(OLESTR("12/29/1899 6:00:00 AM")); }},
        {"BSTR \"1/1/100\"", [] { return text(OLESTR("1/1/100")); }},
        {"BSTR \"12/31/9999 11:59:59 PM\"", [] { return text(OLESTR("12/31/9999 11:59:59 PM")); }},
    };
    sources.insert(sources.end(), date_sources.begin(), date_sources.end());
    const struct {
        const char* name;
        VARTYPE vt;
    } targets[] = {{"I2", VT_I2},   {"I4", VT_I4},   {"UI1", VT_UI1},   {"UI2", VT_UI2},   {"UI4", VT_UI4},
                   {"R4", VT_R4},   {"R8", VT_R8},   {"CY", VT_CY},     {"BOOL", VT_BOOL}, {"BSTR", VT_BSTR},
                   {"DATE", VT_DATE}};
    for (const Source& s : sources)
        for (const auto& t : targets) {
            const VARTYPE vt = t.vt;
            const auto make = s.make;
            row("VariantChangeType(" + s.name + " -> " + t.name + ")", [make, vt] {
                VARIANT source = make();
                std::string out = convert(source, vt);
                VariantClear(&source);
                return out;
            });
        }

    // Arrays and references.
    row("VariantChangeType(VT_ARRAY|VT_VARIANT -> VT_ARRAY|VT_BSTR)", [] {
        VARIANT v = of(VT_ARRAY | VT_VARIANT);
        v.parray = SafeArrayCreateVector(VT_VARIANT, 0, 1);
        std::string out = convert(v, VT_ARRAY | VT_BSTR);
        VariantClear(&v);
        return out;
    });
    row("VariantChangeType(empty -> VT_ARRAY|VT_BSTR)", [] { return convert(of(VT_EMPTY), VT_ARRAY | VT_BSTR); });
    row("VariantChangeType(VT_BYREF|VT_I4 40000 -> I2)", [] {
        LONG value = 40000;
        VARIANT v = of(VT_BYREF | VT_I4);
        v.plVal = &value;
        return convert(v, VT_I2);
    });
    row("VariantChangeType(VT_BYREF|VT_BSTR \"7\" -> I2)", [] {
        BSTR s = SysAllocString(OLESTR("7"));
        VARIANT v = of(VT_BYREF | VT_BSTR);
        v.pbstrVal = &s;
        std::string out = convert(v, VT_I2);
        SysFreeString(s);
        return out;
    });
    row("VariantChangeType(I4 5 -> VT_BYREF|VT_I4)", [] { return convert(i4(5), VT_BYREF | VT_I4); });
    row("VariantChangeType(I4 5 -> type 0x7F)", [] { return convert(i4(5), 0x7F); });
    row("VariantChangeType(BOOL true -> BSTR, VARIANT_ALPHABOOL)", [] {
        VARIANT v = boolean(true), out = of(VT_EMPTY);
        const HRESULT hr = VariantChangeType(&out, &v, VARIANT_ALPHABOOL, VT_BSTR);
        std::string result = hex(hr) + " " + variant_text(out);
        VariantClear(&out);
        return result;
    });
}

// ---- late binding ------------------------------------------------------------------------------

// One late-bound call on a new item (with the choices {"a", "b"}) or group: arguments in
// rgvarg order (the last one first), then the ids of the named ones, rgvarg's first.
enum Hostility { kNone, kNoParams, kNoRgvarg, kNotNullIid };
struct Call {
    bool group;
    DISPID id;
    WORD flags;
    std::vector<VARIANT> args;
    std::vector<DISPID> named;
    Hostility hostile = kNone;
};

// A new object of Tessel's class clsid, as interface iid.
template <typename I>
comrt::ComPtr<I> create(REFCLSID clsid, REFIID iid) {
    comrt::ComPtr<IClassFactory> factory;
#ifdef _WIN32
    CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
#else
    static const pg_testing::ServerLibrary tessel(PG_TESSEL_LIBRARY);
    tessel.get_class_object(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
#endif
    comrt::ComPtr<I> object;
    if (factory) factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(object.put()));
    return object;
}

// The status, the result, the argument at fault (99: none named) and EXCEPINFO's scode.
std::string invoke(Call c) {
    comrt::ComPtr<_clsPropertyItem> item = create<_clsPropertyItem>(CLSID_clsPropertyItem, IID__clsPropertyItem);
    if (!item) return "no object";
    SAFEARRAY* choices = SafeArrayCreateVector(VT_BSTR, 0, 2);
    for (LONG i = 0; i < 2; ++i) {
        VARIANT choice = text(i ? OLESTR("b") : OLESTR("a"));
        SafeArrayPutElement(choices, &i, choice.bstrVal);
        VariantClear(&choice);
    }
    item->SetValueCmb(&choices);
    SafeArrayDestroy(choices);
    IUnknown* object = c.group ? create<IUnknown>(CLSID_clsTessel, IID_IUnknown).detach() : item.as<IUnknown>().detach();
    if (!object) return "no object";
    comrt::ComPtr<IDispatch> d;
#ifdef _WIN32
    // The system's dispatch over the vtable view of the dual interface, from the registered
    // type library (the standard dispatch does not hold the interface: `object` does).
    const IID& iid = c.group ? IID__clsTessel : IID__clsPropertyItem;
    comrt::ComPtr<ITypeLib> lib;
    comrt::ComPtr<ITypeInfo> dual, vtable;
    comrt::ComPtr<IUnknown> standard;
    HREFTYPE ref = 0;
    void* itf = nullptr;
    HRESULT hr = object->QueryInterface(iid, &itf);
    if (SUCCEEDED(hr)) static_cast<IUnknown*>(itf)->Release();
    if (SUCCEEDED(hr)) hr = LoadRegTypeLib(LIBID_Tessel, Tessel_MajorVersion, Tessel_MinorVersion, 0, lib.put());
    if (SUCCEEDED(hr)) hr = lib->GetTypeInfoOfGuid(iid, dual.put());
    if (SUCCEEDED(hr)) hr = dual->GetRefTypeOfImplType(-1, &ref);
    if (SUCCEEDED(hr)) hr = dual->GetRefTypeInfo(ref, vtable.put());
    if (SUCCEEDED(hr)) hr = CreateStdDispatch(nullptr, itf, vtable.get(), standard.put());
    if (SUCCEEDED(hr)) d = standard.as<IDispatch>();
#else
    const HRESULT hr = S_OK;
    d = comrt::ComPtr<IUnknown>(object).as<IDispatch>();
#endif
    std::string out = "no dispatch " + hex(hr);
    if (d) {
        DISPPARAMS params{c.hostile == kNoRgvarg ? nullptr : c.args.data(), c.named.data(),
                          static_cast<UINT>(c.args.size()), static_cast<UINT>(c.named.size())};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO excep{};
        UINT arg_err = 99;
        const HRESULT called = d->Invoke(c.id, c.hostile == kNotNullIid ? IID_IDispatch : IID_NULL, 0, c.flags,
                                         c.hostile == kNoParams ? nullptr : &params, &result, &excep, &arg_err);
        out = hex(called) + " result " + variant_text(result) + " argerr " + std::to_string(arg_err) +
              (called == DISP_E_EXCEPTION ? " excep " + hex(excep.scode) : "");
        VariantClear(&result);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
    d = nullptr;
    object->Release();
    for (VARIANT& v : c.args) VariantClear(&v);
    return out;
}

void dispatch_rows() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    constexpr DISPID kName = 0x40030000, kType = 0x40030002, kSetValueCmb = 0x60030000, kGetItem = 0x60030001,
                     kCount = 0x60030002, kAddItem = 0x60030000, kItems = 0x40030001;
    constexpr WORD get = DISPATCH_PROPERTYGET, put = DISPATCH_PROPERTYPUT, call = DISPATCH_METHOD | get;
    const DISPID value = DISPID_PROPERTYPUT;
    static SHORT i2_one = 1;
    static LONG i4_one = 1;
    static VARIANT variant_one = i2(1);
    static SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 0, 1);
    const auto ref = [](VARTYPE vt, void* p) { VARIANT v = of(VT_BYREF | vt); v.byref = p; return v; };
    const auto array = [](VARTYPE vt) { VARIANT v = of(VT_ARRAY | vt); v.parray = SafeArrayCreateVector(vt, 0, 1); return v; };
    const std::pair<const char*, Call> calls[] = {
        {"get ItemName", {false, kName, get, {}, {}}},
        {"get ItemName with an argument", {false, kName, get, {i4(1)}, {}}},
        {"ItemName as DISPATCH_METHOD", {false, kName, DISPATCH_METHOD, {}, {}}},
        {"put ItemName", {false, kName, put, {text(OLESTR("new"))}, {value}}},
        {"put ItemName, the value not named", {false, kName, put, {text(OLESTR("new"))}, {}}},
        {"put ItemName, the value named 0", {false, kName, put, {text(OLESTR("new"))}, {0}}},
        {"put ItemName, no arguments", {false, kName, put, {}, {}}},
        {"put ItemName, an extra positional argument", {false, kName, put, {text(OLESTR("new")), i4(1)}, {value}}},
        {"put ItemName by DISPATCH_PROPERTYPUTREF", {false, kName, DISPATCH_PROPERTYPUTREF, {text(OLESTR("new"))}, {value}}},
        {"put ItemType BSTR \"7\"", {false, kType, put, {text(OLESTR("7"))}, {value}}},
        {"put ItemType BSTR \"abc\"", {false, kType, put, {text(OLESTR("abc"))}, {value}}},
        {"put ItemType I4 40000", {false, kType, put, {i4(40000)}, {value}}},
        {"put ItemType null", {false, kType, put, {of(VT_NULL)}, {value}}},
        {"Count", {false, kCount, call, {}, {}}},
        {"Count as DISPATCH_PROPERTYGET only", {false, kCount, get, {}, {}}},
        {"Count with an argument", {false, kCount, call, {i2(1)}, {}}},
        {"GetItem, no argument", {false, kGetItem, call, {}, {}}},
        {"GetItem, the argument given as missing", {false, kGetItem, call, {error(DISP_E_PARAMNOTFOUND)}, {}}},
        {"GetItem I4 1", {false, kGetItem, call, {i4(1)}, {}}},
        {"GetItem BSTR \"abc\"", {false, kGetItem, call, {text(OLESTR("abc"))}, {}}},
        {"GetItem I4 40000", {false, kGetItem, call, {i4(40000)}, {}}},
        {"GetItem I2 7 (out of range)", {false, kGetItem, call, {i2(7)}, {}}},
        {"GetItem, two arguments", {false, kGetItem, call, {i2(1), i2(0)}, {}}},
        {"GetItem by reference to I2 1", {false, kGetItem, call, {ref(VT_I2, &i2_one)}, {}}},
        {"GetItem by reference to I4 1", {false, kGetItem, call, {ref(VT_I4, &i4_one)}, {}}},
        {"GetItem by reference to a variant holding I2 1", {false, kGetItem, call, {ref(VT_VARIANT, &variant_one)}, {}}},
        {"GetItem by reference to a null pointer", {false, kGetItem, call, {ref(VT_I2, nullptr)}, {}}},
        {"GetItem, argument named 0", {false, kGetItem, call, {i2(1)}, {0}}},
        {"GetItem, argument named 5", {false, kGetItem, call, {i2(1)}, {5}}},
        {"GetItem, argument named DISPID_PROPERTYPUT", {false, kGetItem, call, {i2(1)}, {value}}},
        {"GetItem, argument named 0 twice", {false, kGetItem, call, {i2(1), i2(0)}, {0, 0}}},
        {"GetItem, null rgvarg with one argument", {false, kGetItem, call, {i2(1)}, {}, kNoRgvarg}},
        {"SetValueCmb by reference to an array of BSTR", {false, kSetValueCmb, call, {ref(VT_ARRAY | VT_BSTR, &strings)}, {}}},
        {"SetValueCmb an array of variants", {false, kSetValueCmb, call, {array(VT_VARIANT)}, {}}},
        {"SetValueCmb I4 5", {false, kSetValueCmb, call, {i4(5)}, {}}},
        {"unknown dispatch id", {false, 0x12345, call, {}, {}}},
        {"riid not IID_NULL", {false, kCount, call, {}, {}, kNotNullIid}},
        {"null pDispParams", {false, kCount, call, {}, {}, kNoParams}},
        {"AddItem, all four arguments", {true, kAddItem, call, {array(VT_BSTR), i2(0), text(OLESTR("v")), text(OLESTR("n"))}, {}}},
        {"AddItem, three arguments", {true, kAddItem, call, {i2(0), text(OLESTR("v")), text(OLESTR("n"))}, {}}},
        {"get ItemsCollection with an argument", {true, kItems, call, {i4(1)}, {}}},
    };
    for (const auto& entry : calls) {
        const auto& call_made = entry.second;  // a named copy: clang 14 cannot capture a structured binding
        row(std::string("Invoke ") + entry.first, [call_made] { return invoke(call_made); });
    }
}

// Marks the row named `id` as one that may differ, for the reason given.
void documented(const std::string& id, const char* reason) {
    for (Row& r : rows)
        if (r.id == id) {
            r.documented = reason;
            return;
        }
    std::fprintf(stderr, "differential_table: no row %s\n", id.c_str());
    std::exit(2);
}

// The rows where comrt and Wine's oleaut32 differ, each with the documented behaviour that
// decides it.
void documented_rows() {
    // SafeArrayCopy returns E_INVALIDARG when "the argument psa was not valid": an array
    // that has elements but no data is not a valid one. comrt refuses to copy it; Wine
    // copies it as if its data were zeros.
    documented("SafeArrayCopy of strings whose data pointer is null", "SafeArrayCopy: psa not valid");

    // A DATE holds the days from 1 January 100 (-657434) to 31 December 9999 (2958465): the
    // DATE type, and SystemTimeToVariantTime's range ending on 31 December 9999; the
    // VarDateFrom* conversions return DISP_E_OVERFLOW for a value that does not fit. comrt
    // checks every number against that range; Wine passes floats and currency unchecked.
    for (const char* id : {"VariantChangeType(R4 3.4e38 -> DATE)", "VariantChangeType(CY 2958466 -> DATE)"})
        documented(id, "DATE range");

    // VarDateFromStr reads a date and a time of day in the forms of the locale (US English
    // here: M/D/YYYY, H:MM:SS AM/PM, or 24-hour H:MM). comrt reads those forms and rejects
    // other text with DISP_E_TYPEMISMATCH; Wine's parser also reads other text as dates:
    // "1.5" as 1:05 AM, "1,000" as 1 January 2000, "1 2" as 2 January of the current year
    // (so that the result changes with the year the table runs in).
    for (const char* text : {"\"1.5\"", "\"2.5\"", "\"1,000\"", "\"1,00\"", "\"1,,0\"", "\"1 2\""})
        documented(std::string("VariantChangeType(BSTR ") + text + " -> DATE)", "dates in the locale's forms only");

    // Late binding, as IDispatch::Invoke is documented:
    // - DISP_E_BADPARAMCOUNT when "the number of elements provided to DISPPARAMS is different
    //   from the number of arguments accepted": Wine's dispatch puts the value and ignores
    //   a positional argument beside it.
    // - puArgErr "is returned only when the resulting return value is DISP_E_TYPEMISMATCH or
    //   DISP_E_PARAMNOTFOUND", naming the first argument in error: Wine's leaves it alone.
    // - DISP_E_PARAMNOTFOUND when "one of the parameter IDs does not correspond to a
    //   parameter": Wine's counts the parameter left without an argument instead.
    // - DISP_E_PARAMNOTOPTIONAL when "a required parameter was omitted", as a VT_ERROR
    //   DISP_E_PARAMNOTFOUND argument omits it: Wine's tries to convert that error value.
    // - riid "must be IID_NULL", else DISP_E_UNKNOWNINTERFACE: Wine's gives E_INVALIDARG.
    // - pVarResult is [out], which COM's rules leave holding nothing after a failure: Wine's
    //   leaves the member's result type in it.
    documented("Invoke put ItemName, an extra positional argument", "too many arguments");
    for (const char* id : {"put ItemType BSTR \"abc\"", "put ItemType null", "GetItem BSTR \"abc\"", "SetValueCmb I4 5"})
        documented(std::string("Invoke ") + id, "puArgErr of a type mismatch");
    for (const char* id : {"GetItem, argument named 5", "GetItem, argument named DISPID_PROPERTYPUT"})
        documented(std::string("Invoke ") + id, "a named argument of no parameter");
    documented("Invoke GetItem, the argument given as missing", "an omitted required argument");
    documented("Invoke riid not IID_NULL", "riid other than IID_NULL");
    documented("Invoke GetItem I2 7 (out of range)", "an [out] result after a failure");
    // Where the documentation says nothing, comrt's choices (comrt/dispatch.h): script hosts
    // pass variables as VT_BYREF|VT_VARIANT and build arrays of variants, which comrt
    // converts (writing by-reference ones back) and the system's dispatch refuses; a null
    // reference, and a null rgvarg with arguments, are refused before any member runs
    // (E_INVALIDARG, as VariantCopyInd and a null pDispParams are), where Wine's dispatch
    // hands the null pointer to the member or counts no arguments.
    for (const char* id : {"GetItem by reference to I4 1", "GetItem by reference to a variant holding I2 1",
                           "SetValueCmb an array of variants", "GetItem by reference to a null pointer",
                           "GetItem, null rgvarg with one argument"})
        documented(std::string("Invoke ") + id, "comrt's choice where the documentation says nothing");
}

}  // namespace

int main() {
    string_rows();
    array_rows();
    variant_rows();
    conversion_rows();
    dispatch_rows();
    documented_rows();
    for (const Row& r : rows) {
        const std::string result = r.run();
        std::printf("%s%s: %s\n", r.documented ? "~ " : "", r.id.c_str(), result.c_str());
    }
    return 0;
}
