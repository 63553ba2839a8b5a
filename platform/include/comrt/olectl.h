// The standard font object and colour translation.
//
// IFont is the font object's vtable interface (slot order as on the platform); IFontDisp
// is its dispatch interface, through which controls hand fonts to each other. Sizes are
// currency values in points (8.25 pt is int64 82500).
#pragma once

#include <comrt/oaidl.h>

#ifdef _WIN32
COMRT_SYSTEM_INTERFACE_ID(IFont);
COMRT_SYSTEM_INTERFACE_ID(IFontDisp);
#else
struct HFONT__;
using HFONT = HFONT__*;
struct HDC__;
using HDC = HDC__*;
struct TEXTMETRICW;
using TEXTMETRICOLE = TEXTMETRICW;

struct IFont : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* pName) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR name) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(CY* pSize) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Size(CY size) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Bold(BOOL* pBold) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Bold(BOOL bold) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Italic(BOOL* pItalic) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Italic(BOOL italic) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Underline(BOOL* pUnderline) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Underline(BOOL underline) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Strikethrough(BOOL* pStrikethrough) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Strikethrough(BOOL strikethrough) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Weight(SHORT* pWeight) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Weight(SHORT weight) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Charset(SHORT* pCharset) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Charset(SHORT charset) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_hFont(HFONT* phFont) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IFont** ppFont) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE IsEqual(IFont* pFontOther) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRatio(LONG cyLogical, LONG cyHimetric) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryTextMetrics(TEXTMETRICOLE* pTM) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE AddRefHfont(HFONT hFont) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseHfont(HFONT hFont) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHdc(HDC hDC) noexcept = 0;
};
COMRT_INTERFACE_ID(IFont, "BEF6E002-A874-101A-8BBA-00AA00300CAB");

// A pure dispatch interface: no slots beyond IDispatch.
struct IFontDisp : IDispatch {};
COMRT_INTERFACE_ID(IFontDisp, "BEF6E003-A874-101A-8BBA-00AA00300CAB");

inline constexpr CLSID CLSID_StdFont = comrt::make_guid("0BE35203-8F91-11CE-9DE3-00AA004BB851");

// Dispatch ids of the font properties.
#define DISPID_FONT_NAME 0
#define DISPID_FONT_SIZE 2
#define DISPID_FONT_BOLD 3
#define DISPID_FONT_ITALIC 4
#define DISPID_FONT_UNDER 5
#define DISPID_FONT_STRIKE 6
#define DISPID_FONT_WEIGHT 7
#define DISPID_FONT_CHARSET 8

// Dispatch ids of the ambient properties a container's site offers its controls.
#define DISPID_AMBIENT_BACKCOLOR (-701)
#define DISPID_AMBIENT_FONT (-703)
#define DISPID_AMBIENT_FORECOLOR (-704)
#define DISPID_AMBIENT_USERMODE (-709)

struct FONTDESC {
    UINT cbSizeofstruct;
    LPOLESTR lpstrName;
    CY cySize;
    SHORT sWeight;
    SHORT sCharset;
    BOOL fItalic;
    BOOL fUnderline;
    BOOL fStrikethrough;
};
using LPFONTDESC = FONTDESC*;

#define FW_NORMAL 400
#define FW_BOLD 700
#define DEFAULT_CHARSET 1

// Creates a font object from a description (a null description gives the default font,
// "Tahoma" 8.25 points, weight 400) and returns the interface riid of it.
WINOLEAPI OleCreateFontIndirect(LPFONTDESC lpFontDesc, REFIID riid, LPVOID* lplpvObj);

// ---- colours ------------------------------------------------------------------
// An OLE_COLOR is a colour reference 0x00BBGGRR, or, with the high bit set, a system
// colour whose index is the low byte (0x80000005 window background, 0x80000008 window
// text, 0x8000000F button face). OleTranslateColor gives the colour reference; a value
// that is neither fails with E_INVALIDARG.
using COLORREF = DWORD;
using HPALETTE = struct HPALETTE__*;
WINOLEAPI OleTranslateColor(OLE_COLOR clr, HPALETTE hpal, COLORREF* lpcolorref);

#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_BTNFACE 15
#endif  // _WIN32
