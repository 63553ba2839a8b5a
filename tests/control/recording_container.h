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
// to, and collects the control's handler failures and property changes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <comrt/implements.h>
#include <comrt/resource.h>
#include <orvane/orvane.h>
#include <testing/text.h>

namespace orvane::testing {

class RecordingContainer final
    : public comrt::implements<RecordingContainer, IOleClientSite, IOleInPlaceSite, IControlErrorSink,
                               IPropertyNotifySink> {
public:
    // ---- what the container does -------------------------------------------------------
    // Sites and activates control in place, as the platform's host window does.
    HRESULT Embed(IUnknown& control) {
        object_ = comrt::ComPtr<IUnknown>(&control).try_as<IOleObject>();
        if (!object_) return note_result("QueryInterface(IOleObject)", E_NOINTERFACE);
        HRESULT hr = note_result("SetClientSite", object_->SetClientSite(this));
        if (SUCCEEDED(hr)) hr = note_result("SetHostNames", object_->SetHostNames(u"Recording", nullptr));
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

    // ---- the container's channels --------------------------------------------------------
    HRESULT STDMETHODCALLTYPE HandlerFailed(LPCOLESTR handler, HRESULT hr) noexcept override {
        return note("HandlerFailed(" + pg_testing::Utf8(handler ? handler : u"") + ", " + pg_testing::Hex(hr) + ")", S_OK);
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

}  // namespace orvane::testing
