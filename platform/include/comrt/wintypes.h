// Base types, status codes and macros of the platform's binary interface.
//
// Widths follow the Windows x64 data model (LLP64), not LP64 Linux:
//   LONG / ULONG are 32-bit, SHORT 16-bit, VARIANT_BOOL 16-bit (-1 / 0),
//   HRESULT 32-bit, DISPID 32-bit, OLECHAR is char16_t (UTF-16), never wchar_t.
// Pointer-sized values (LONG_PTR, WPARAM, LPARAM, LRESULT) stay pointer-sized.
//
// On Windows the system's own headers declare all of this (OLECHAR is wchar_t there, also
// UTF-16); every header of comrt/ then includes the system's declarations and adds only
// what the system lacks. Text literals are written OLESTR("...") on both.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

// Server libraries name their exports in a module-definition file; nothing else of a DLL
// is exported, so there is nothing to hide.
#define COMRT_EXPORT
#define COMRT_HIDDEN

static_assert(sizeof(LONG) == 4 && sizeof(ULONG) == 4 && sizeof(SHORT) == 2 && sizeof(OLECHAR) == 2);
static_assert(sizeof(LONG_PTR) == 8, "the binary interface is the x64 one");
#else

// ---- calling convention and linkage --------------------------------------
// Data layouts follow Windows x64; calls use this platform's own calling convention, so
// the Windows keywords expand to nothing here. Binaries for Windows come from the Windows
// build against the system's own headers, never from these.
#define STDMETHODCALLTYPE
#define WINAPI
#define CALLBACK
#define COMRT_EXPORT __attribute__((visibility("default")))
#define COMRT_HIDDEN __attribute__((visibility("hidden")))
#define STDAPI extern "C" COMRT_EXPORT HRESULT
#define STDAPI_(type) extern "C" COMRT_EXPORT type
#define WINOLEAUTAPI STDAPI
#define WINOLEAUTAPI_(type) STDAPI_(type)
#define WINOLEAPI STDAPI
#define WINOLEAPI_(type) STDAPI_(type)
#define WINUSERAPI extern "C" COMRT_EXPORT

// ---- integers -------------------------------------------------------------
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using CHAR = char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using INT = std::int32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using BOOL = std::int32_t;
using FLOAT = float;
using DOUBLE = double;
using PVOID = void*;
using LPVOID = void*;
using LPCSTR = const char*;
using LPSTR = char*;

static_assert(sizeof(LONG) == 4 && sizeof(ULONG) == 4 && sizeof(SHORT) == 2);
static_assert(sizeof(LONG_PTR) == 8, "the binary interface is the x64 one");

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// ---- automation scalars ---------------------------------------------------
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
// A text literal of OLECHARs, as the platform's headers spell it.
#define OLESTR(str) u##str
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;
using DISPID = std::int32_t;
using MEMBERID = DISPID;
using LCID = DWORD;
using VARTYPE = std::uint16_t;
using DATE = double;
using OLE_COLOR = DWORD;
using OLE_HANDLE = UINT;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

// Currency: a 64-bit integer scaled by 10,000.
union CY {
    struct {
        ULONG Lo;
        LONG Hi;
    };
    LONGLONG int64;
};
static_assert(sizeof(CY) == 8);

struct DECIMAL {
    USHORT wReserved;
    union {
        struct {
            BYTE scale;
            BYTE sign;
        };
        USHORT signscale;
    };
    ULONG Hi32;
    union {
        struct {
            ULONG Lo32;
            ULONG Mid32;
        };
        ULONGLONG Lo64;
    };
};
static_assert(sizeof(DECIMAL) == 16);

// ---- windows --------------------------------------------------------------
// Window handles are small values from a handle table, carried in a pointer type
// as on the platform; an OLE_HANDLE is the same value in 32 bits.
struct HWND__;
using HWND = HWND__*;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// ---- status codes ---------------------------------------------------------
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define HRESULT_CODE(hr) ((hr) & 0xFFFF)
#define HRESULT_FACILITY(hr) (((hr) >> 16) & 0x1fff)
#define SCODE_CODE(sc) ((sc) & 0xFFFF)
#define MAKE_HRESULT(sev, fac, code) \
    ((HRESULT)(((unsigned long)(sev) << 31) | ((unsigned long)(fac) << 16) | ((unsigned long)(code))))
#define MAKE_SCODE(sev, fac, code) MAKE_HRESULT(sev, fac, code)

#define SEVERITY_SUCCESS 0
#define SEVERITY_ERROR 1
#define FACILITY_NULL 0
#define FACILITY_RPC 1
#define FACILITY_DISPATCH 2
#define FACILITY_STORAGE 3
#define FACILITY_ITF 4
#define FACILITY_WIN32 7
#define FACILITY_WINDOWS 8
#define FACILITY_CONTROL 10

#define _HRESULT_TYPEDEF_(x) ((HRESULT)(x))
#define S_OK _HRESULT_TYPEDEF_(0x00000000L)
#define S_FALSE _HRESULT_TYPEDEF_(0x00000001L)
#define E_NOTIMPL _HRESULT_TYPEDEF_(0x80004001L)
#define E_NOINTERFACE _HRESULT_TYPEDEF_(0x80004002L)
#define E_POINTER _HRESULT_TYPEDEF_(0x80004003L)
#define E_ABORT _HRESULT_TYPEDEF_(0x80004004L)
#define E_FAIL _HRESULT_TYPEDEF_(0x80004005L)
#define E_UNEXPECTED _HRESULT_TYPEDEF_(0x8000FFFFL)
#define E_ACCESSDENIED _HRESULT_TYPEDEF_(0x80070005L)
#define E_HANDLE _HRESULT_TYPEDEF_(0x80070006L)
#define E_OUTOFMEMORY _HRESULT_TYPEDEF_(0x8007000EL)
#define E_INVALIDARG _HRESULT_TYPEDEF_(0x80070057L)

#define CLASS_E_NOAGGREGATION _HRESULT_TYPEDEF_(0x80040110L)
#define CLASS_E_CLASSNOTAVAILABLE _HRESULT_TYPEDEF_(0x80040111L)
#define REGDB_E_READREGDB _HRESULT_TYPEDEF_(0x80040150L)
#define REGDB_E_WRITEREGDB _HRESULT_TYPEDEF_(0x80040151L)
#define REGDB_E_INVALIDVALUE _HRESULT_TYPEDEF_(0x80040153L)
#define REGDB_E_CLASSNOTREG _HRESULT_TYPEDEF_(0x80040154L)
#define REGDB_E_IIDNOTREG _HRESULT_TYPEDEF_(0x80040155L)
#define CO_E_CLASSSTRING _HRESULT_TYPEDEF_(0x800401F3L)
#define CO_E_DLLNOTFOUND _HRESULT_TYPEDEF_(0x800401F8L)
#define CO_E_ERRORINDLL _HRESULT_TYPEDEF_(0x800401F9L)
#define SELFREG_E_TYPELIB _HRESULT_TYPEDEF_(0x80040200L)
#define SELFREG_E_CLASS _HRESULT_TYPEDEF_(0x80040201L)
#define TYPE_E_ELEMENTNOTFOUND _HRESULT_TYPEDEF_(0x8002802BL)
#define TYPE_E_LIBNOTREGISTERED _HRESULT_TYPEDEF_(0x8002801DL)
#define TYPE_E_CANTLOADLIBRARY _HRESULT_TYPEDEF_(0x80029C4AL)

#define DISP_E_UNKNOWNINTERFACE _HRESULT_TYPEDEF_(0x80020001L)
#define DISP_E_MEMBERNOTFOUND _HRESULT_TYPEDEF_(0x80020003L)
#define DISP_E_PARAMNOTFOUND _HRESULT_TYPEDEF_(0x80020004L)
#define DISP_E_TYPEMISMATCH _HRESULT_TYPEDEF_(0x80020005L)
#define DISP_E_UNKNOWNNAME _HRESULT_TYPEDEF_(0x80020006L)
#define DISP_E_NONAMEDARGS _HRESULT_TYPEDEF_(0x80020007L)
#define DISP_E_BADVARTYPE _HRESULT_TYPEDEF_(0x80020008L)
#define DISP_E_EXCEPTION _HRESULT_TYPEDEF_(0x80020009L)
#define DISP_E_OVERFLOW _HRESULT_TYPEDEF_(0x8002000AL)
#define DISP_E_BADINDEX _HRESULT_TYPEDEF_(0x8002000BL)
#define DISP_E_UNKNOWNLCID _HRESULT_TYPEDEF_(0x8002000CL)
#define DISP_E_ARRAYISLOCKED _HRESULT_TYPEDEF_(0x8002000DL)
#define DISP_E_BADPARAMCOUNT _HRESULT_TYPEDEF_(0x8002000EL)
#define DISP_E_PARAMNOTOPTIONAL _HRESULT_TYPEDEF_(0x8002000FL)
#define DISP_E_BADCALLEE _HRESULT_TYPEDEF_(0x80020010L)
#define DISP_E_NOTACOLLECTION _HRESULT_TYPEDEF_(0x80020011L)
#define DISP_E_DIVBYZERO _HRESULT_TYPEDEF_(0x80020012L)

#define CTL_E_INVALIDPROPERTYVALUE MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 380)

// ---- locales ----------------------------------------------------------------
#define LOCALE_USER_DEFAULT ((LCID)0x0400)
#define LOCALE_SYSTEM_DEFAULT ((LCID)0x0800)
#define LOCALE_INVARIANT ((LCID)0x007F)
#define LOCALE_NEUTRAL ((LCID)0x0000)
#endif  // _WIN32
