// The control's connection points: the sinks a container connects through
// IConnectionPointContainer, one point per outgoing interface (__PropertiesCtl, which
// raises no events, and IPropertyNotifySink).
//
// A point holds its sinks by counted reference, each under the cookie Advise gave. It
// names its container only while the control lives: the control detaches its points when
// it goes, and a point a host still holds then answers E_UNEXPECTED for its container.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/implements.h>
#include <orvane/orvane.h>

namespace orvane {

class ConnectionPoint final : public comrt::implements<ConnectionPoint, IConnectionPoint> {
public:
    static constexpr bool kSingleThreadReferences = true;

    ConnectionPoint(const IID& iid, IConnectionPointContainer* container) noexcept
        : iid_(iid), container_(container) {}

    // The container is going: the point no longer names it, and its sinks are let go.
    void Detach() noexcept {
        container_ = nullptr;
        sinks_.clear();
    }

    // Calls call(sink) for each sink connected when it starts, each sink held for its call
    // (a sink may disconnect itself or others meanwhile).
    template <typename Sink, typename Call>
    void ForEach(Call&& call) {
        std::vector<comrt::ComPtr<IUnknown>> now;
        now.reserve(sinks_.size());
        for (const auto& entry : sinks_) now.push_back(entry.second);
        for (const comrt::ComPtr<IUnknown>& sink : now) call(*static_cast<Sink*>(static_cast<void*>(sink.get())));
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) noexcept override {
        if (!pIID) return E_POINTER;
        *pIID = iid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) noexcept override {
        if (!ppCPC) return E_POINTER;
        *ppCPC = nullptr;
        if (!container_) return E_UNEXPECTED;
        container_->AddRef();
        *ppCPC = container_;
        return S_OK;
    }
    // The sink is kept as the point's interface (what QueryInterface gave for it).
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) noexcept override try {
        if (!pdwCookie) return E_POINTER;
        *pdwCookie = 0;
        if (!pUnkSink) return E_POINTER;
        if (!container_) return E_UNEXPECTED;
        comrt::ComPtr<IUnknown> sink;
        if (FAILED(pUnkSink->QueryInterface(iid_, sink.put_void()))) return CONNECT_E_CANNOTCONNECT;
        if (next_cookie_ == 0) return CONNECT_E_ADVISELIMIT;
        sinks_.emplace_back(next_cookie_, std::move(sink));
        *pdwCookie = next_cookie_++;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) noexcept override {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->first != dwCookie) continue;
            const comrt::ComPtr<IUnknown> gone = std::move(it->second);  // released after the erase
            sinks_.erase(it);
            return S_OK;
        }
        return CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) noexcept override {
        if (ppEnum) *ppEnum = nullptr;
        return E_NOTIMPL;
    }

private:
    IID iid_;
    IConnectionPointContainer* container_;  // not held: the container holds the point
    std::vector<std::pair<DWORD, comrt::ComPtr<IUnknown>>> sinks_;
    DWORD next_cookie_ = 1;
};

// The control's connection points, listed for a container (EnumConnectionPoints). Each
// enumerator holds the points it lists and its own position.
class ConnectionPointEnumerator final : public comrt::implements<ConnectionPointEnumerator, IEnumConnectionPoints> {
public:
    static constexpr bool kSingleThreadReferences = true;

    ConnectionPointEnumerator(std::vector<comrt::ComPtr<IConnectionPoint>> points, std::size_t position) noexcept
        : points_(std::move(points)), position_(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) noexcept override {
        if (pcFetched) *pcFetched = 0;
        if (!ppCP) return E_POINTER;
        // Several at a time only when the caller can learn how many came.
        if (cConnections > 1 && !pcFetched) return E_INVALIDARG;
        ULONG fetched = 0;
        while (fetched < cConnections && position_ < points_.size())
            ppCP[fetched++] = comrt::ComPtr<IConnectionPoint>(points_[position_++]).detach();
        if (pcFetched) *pcFetched = fetched;
        return fetched == cConnections ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG cConnections) noexcept override {
        const std::size_t left = points_.size() - position_;
        position_ += std::min<std::size_t>(cConnections, left);
        return cConnections <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() noexcept override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** ppEnum) noexcept override try {
        if (!ppEnum) return E_POINTER;
        *ppEnum = nullptr;
        *ppEnum = comrt::make<ConnectionPointEnumerator>(points_, position_).detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }

private:
    std::vector<comrt::ComPtr<IConnectionPoint>> points_;
    std::size_t position_;
};

}  // namespace orvane
