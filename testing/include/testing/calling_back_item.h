// A host's item that calls back into the control while the control reads it: its
// ItemValue getter, once armed, runs a call back first (that commits, cancels, switches
// the group, clears or releases the control), then answers as the item it wraps.
#pragma once

#include <functional>
#include <utility>

#include <comrt/com_ptr.h>
#include <tessel/tessel.h>
#include <testing/dispatch_stub.h>

namespace pg_testing {

class CallingBackItem final : public no_dispatch<comrt::implements<CallingBackItem, _clsPropertyItem>> {
public:
    CallingBackItem(comrt::ComPtr<_clsPropertyItem> inner, std::function<void()> call_back)
        : inner_(std::move(inner)), call_back_(std::move(call_back)) {}
    // The next ItemValue read calls back, once.
    bool armed = false;

    HRESULT STDMETHODCALLTYPE get_ItemValue(BSTR* r) noexcept override {
        if (std::exchange(armed, false)) call_back_();
        return inner_->get_ItemValue(r);
    }
    HRESULT STDMETHODCALLTYPE get_ItemName(BSTR* r) noexcept override { return inner_->get_ItemName(r); }
    HRESULT STDMETHODCALLTYPE put_ItemName(BSTR v) noexcept override { return inner_->put_ItemName(v); }
    HRESULT STDMETHODCALLTYPE put_ItemValue(BSTR v) noexcept override { return inner_->put_ItemValue(v); }
    HRESULT STDMETHODCALLTYPE get_ItemType(SHORT* r) noexcept override { return inner_->get_ItemType(r); }
    HRESULT STDMETHODCALLTYPE put_ItemType(SHORT v) noexcept override { return inner_->put_ItemType(v); }
    HRESULT STDMETHODCALLTYPE SetValueCmb(SAFEARRAY** a) noexcept override { return inner_->SetValueCmb(a); }
    HRESULT STDMETHODCALLTYPE GetItem(SHORT* i, BSTR* r) noexcept override { return inner_->GetItem(i, r); }
    HRESULT STDMETHODCALLTYPE Count(SHORT* r) noexcept override { return inner_->Count(r); }

private:
    comrt::ComPtr<_clsPropertyItem> inner_;
    std::function<void()> call_back_;
};

}  // namespace pg_testing
