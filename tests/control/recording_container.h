// A container that embeds a control as a real ActiveX host window does, and records every
// call between them in one log, in order:
//
//     "container: SetClientSite -> 0x00000000"   a call the container made on the control,
//                                                with its result;
//     "site: GetWindowContext"                   a call the control made on the site.
//
// Embed runs the host window's sequence (SetClientSite, SetHostNames, SetExtent,
// DoVerb(OLEIVERB_INPLACEACTIVATE)); Resize, Close and Unsite the rest of a control's life
// in it. The site gives `window` and `position`, refuses in-place activation when told
// to, offers the properties in `ambient` ("site: Ambient(-701)"), and collects the
// control's handler failures, property changes and focus. MemoryStream is a stream a
// container saves controls into.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <comrt/implements.h>
#include <comrt/resource.h>
#include <orvane/orvane.h>
#include <testing/text.h>

namespace orvane::testing {

class RecordingContainer final
    : public comrt::implements<RecordingContainer, IOleClientSite, IOleInPlaceSite, IOleControlSite, IDispatch,
                               IControlErrorSink, IPropertyNotifySink> {
public:
    // ---- what the container does -------------------------------------------------------
    // Sites and activates control in place, as the platform's host window does.
    HRESULT Embed(IUnknown& control) {
        object_ = comrt::ComPtr<IUnknown>(&control).try_as<IOleObject>();
        if (!object_) return note_result("QueryInterface(IOleObject)", E_NOINTERFACE);
        HRESULT hr = note_result("SetClientSite", object_->SetClientSite(this));
        if (SUCCEEDED(hr)) hr = note_result("SetHostNames", object_->SetHostNames(OLESTR("Recording"), nullptr));
        SIZEL extent{8467, 7011};
        if (SUCCEEDED(hr)) hr = note_result("SetExtent", object_->SetExtent(DVASPECT_CONTENT, &extent));
        if (SUCCEEDED(hr))
            hr = note_result("DoVerb(INPLACEACTIVATE)",
                             object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window, &position));
        return hr;
    }
    // A new rectangle for the control, as on a resize of the host window.
    HRESULT Resize(const RECT& to) {
        position = to;
        const auto in_place = object_.try_as<IOleInPlaceObject>();
        return note_result("SetObjectRects", in_place->SetObjectRects(&position, &position));
    }
    HRESULT Close() { return note_result("Close(NOSAVE)", object_->Close(OLECLOSE_NOSAVE)); }
    HRESULT Unsite() {
        const HRESULT hr = note_result("SetClientSite(null)", object_->SetClientSite(nullptr));
        object_ = nullptr;
        return hr;
    }

    // ---- IOleClientSite ------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE SaveObject() noexcept override { return note("SaveObject", S_OK); }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** ppmk) noexcept override {
        if (ppmk) *ppmk = nullptr;
        return note("GetMoniker", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) noexcept override {
        if (ppContainer) *ppContainer = nullptr;
        return note("GetContainer", E_NOINTERFACE);
    }
    HRESULT STDMETHODCALLTYPE ShowObject() noexcept override { return note("ShowObject", S_OK); }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) noexcept override { return note("OnShowWindow", S_OK); }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept override { return note("RequestNewObjectLayout", E_NOTIMPL); }

    // ---- IOleInPlaceSite -----------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) noexcept override {
        if (phwnd) *phwnd = window;
        return note("GetWindow", S_OK);
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return note("ContextSensitiveHelp", E_NOTIMPL); }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() noexcept override {
        return note("CanInPlaceActivate", refuse ? S_FALSE : S_OK);
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() noexcept override { return note("OnInPlaceActivate", S_OK); }
    HRESULT STDMETHODCALLTYPE OnUIActivate() noexcept override { return note("OnUIActivate", S_OK); }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO) noexcept override {
        if (ppFrame) *ppFrame = nullptr;
        if (ppDoc) *ppDoc = nullptr;
        if (lprcPosRect) *lprcPosRect = position;
        if (lprcClipRect) *lprcClipRect = position;
        return note("GetWindowContext", S_OK);
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) noexcept override { return note("Scroll", E_NOTIMPL); }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) noexcept override { return note("OnUIDeactivate", S_OK); }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() noexcept override { return note("OnInPlaceDeactivate", S_OK); }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() noexcept override { return note("DiscardUndoState", S_OK); }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() noexcept override { return note("DeactivateAndUndo", S_OK); }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) noexcept override { return note("OnPosRectChange", S_OK); }

    // ---- IOleControlSite, and the ambient properties through IDispatch -----------------
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() noexcept override { return note("OnControlInfoChanged", S_OK); }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) noexcept override { return note("LockInPlaceActive", S_OK); }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** ppDisp) noexcept override {
        if (ppDisp) *ppDisp = nullptr;
        return note("GetExtendedControl", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) noexcept override {
        return note("TransformCoords", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) noexcept override {
        return note("TranslateAccelerator", S_FALSE);
    }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL fGotFocus) noexcept override {
        return note(fGotFocus ? "OnFocus(1)" : "OnFocus(0)", S_OK);
    }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() noexcept override { return note("ShowPropertyFrame", E_NOTIMPL); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) noexcept override {
        if (pctinfo) *pctinfo = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept override {
        if (ppTInfo) *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) noexcept override {
        const auto it = ambient.find(id);
        if (!(flags & DISPATCH_PROPERTYGET) || it == ambient.end() || !result)
            return note("Ambient(" + std::to_string(id) + ")", DISP_E_MEMBERNOTFOUND);
        VariantInit(result);
        return note("Ambient(" + std::to_string(id) + ")", VariantCopy(result, it->second.get()));
    }

    // ---- the container's channels --------------------------------------------------------
    HRESULT STDMETHODCALLTYPE HandlerFailed(LPCOLESTR handler, HRESULT hr) noexcept override {
        return note("HandlerFailed(" + pg_testing::Utf8(handler ? handler : OLESTR("")) + ", " + pg_testing::Hex(hr) + ")", S_OK);
    }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID dispID) noexcept override {
        return note("OnChanged(" + std::to_string(dispID) + ")", S_OK);
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) noexcept override { return note("OnRequestEdit", E_UNEXPECTED); }

    // The calls the control made on the site since the last take, without the container's.
    std::vector<std::string> site_calls() const {
        std::vector<std::string> calls;
        for (const std::string& entry : log)
            if (entry.starts_with("site: ")) calls.push_back(entry.substr(6));
        return calls;
    }
    std::vector<std::string> take() { return std::exchange(log, {}); }

    HWND window = reinterpret_cast<HWND>(0x10020);
    RECT position{10, 20, 330, 285};
    bool refuse = false;
    std::map<DISPID, comrt::Variant> ambient;
    std::vector<std::string> log;

private:
    HRESULT note(const std::string& call, HRESULT hr) noexcept try {
        log.push_back("site: " + call);
        return hr;
    } catch (...) {
        return hr;
    }
    HRESULT note_result(const std::string& call, HRESULT hr) {
        log.push_back("container: " + call + " -> " + pg_testing::Hex(hr));
        return hr;
    }

    comrt::ComPtr<IOleObject> object_;
};

// Bytes in memory, read and written at one position; a read past the end gives what is
// left.
class MemoryStream final : public comrt::implements<MemoryStream, IStream> {
public:
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept override {
        const ULONG n = static_cast<ULONG>(std::min<std::size_t>(cb, bytes.size() - position));
        if (n) std::memcpy(pv, bytes.data() + position, n);
        position += n;
        if (pcbRead) *pcbRead = n;
        return n == cb ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) noexcept override {
        if (position + cb > bytes.size()) bytes.resize(position + cb);
        if (cb) std::memcpy(bytes.data() + position, pv, cb);
        position += cb;
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) noexcept override {
        position = static_cast<std::size_t>((origin == STREAM_SEEK_END ? bytes.size() : origin == STREAM_SEEK_CUR ? position : 0) +
                                            move.QuadPart);
        if (now) now->QuadPart = position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) noexcept override { return E_NOTIMPL; }

    std::vector<unsigned char> bytes;
    std::size_t position = 0;
};

}  // namespace orvane::testing
