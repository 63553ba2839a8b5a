// A PropertiesCtl sited on the fakes, as a container does it: created through a class
// factory, sited on one FakeWidgets set with a recording error channel, then driven by
// the container's events (Start: Initialize and a first Resize; Terminate at the end).
// Also: groups made through the data library's binary interface (libtessel.so, registered
// in a registry of the test program's own), and readable values for messages.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <comrt/com.h>
#include <comrt/server.h>
#include <control/PropertiesCtl.h>
#include <control/collections.h>
#include <tests/fakes/fake_widgets.h>
#include <testing/groups.h>
#include <testing/registry_fixture.h>
#include <testing/text.h>
#include <testing/unload_check.h>

namespace orvane {

// Failure messages name the state of a fill.
inline void PrintTo(GridFill fill, std::ostream* out) { *out << (fill == GridFill::filling ? "filling" : "idle"); }

}  // namespace orvane

namespace orvane::testing {

inline constexpr HRESULT kOverflow = comrt::runtime_hresult(comrt::runtime_error::overflow);
inline constexpr HRESULT kSubscript = comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range);
inline constexpr HRESULT kTypeMismatch = comrt::runtime_hresult(comrt::runtime_error::type_mismatch);
inline constexpr HRESULT kObjectNotSet = comrt::runtime_hresult(comrt::runtime_error::object_not_set);

using pg_testing::Hex;
// UTF-16 as text for messages (UTF-8).
inline std::string Printable(std::u16string_view text) { return fakes::format_value(text); }

// ---- groups ----------------------------------------------------------------------------

// The groups come from libtessel.so as built (TESSEL_LIBRARY), registered once for the
// whole test program.
[[maybe_unused]] inline const ::testing::Environment* const kTesselRegistered =
    pg_testing::RegisterForProgram({TESSEL_LIBRARY});

// A group whose items are added with AddItem in the order given.
using pg_testing::MakeGroup;

// A group of `count` free-text items u"<name>.Name<k>" = u"<name>.Value<k>" (k from 1).
inline comrt::ComPtr<_clsTessel> MakeGroup(std::u16string_view name, int count) {
    std::vector<pg_testing::Item> items;
    for (int k = 1; k <= count; ++k) {
        std::u16string number;
        for (char c : std::to_string(k)) number += static_cast<char16_t>(c);
        const std::u16string prefix = std::u16string(name) + u".";
        items.push_back({prefix + u"Name" + number, prefix + u"Value" + number});
    }
    return pg_testing::MakeGroup(name, items);
}

// Item k (from 1) of a group, and its ItemValue.
using pg_testing::ItemAt;
using pg_testing::ItemValue;

// ---- the container's site: error channel and change notifications -------------------------

struct HandlerFailure {
    std::u16string handler;
    HRESULT hr;
};

class RecordingSite final
    : public comrt::implements<RecordingSite, IControlErrorSink, IPropertyNotifySink, IItemValidator> {
public:
    HRESULT STDMETHODCALLTYPE HandlerFailed(LPCOLESTR handler, HRESULT hr) noexcept override try {
        failures.push_back({handler ? handler : u"", hr});
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    // The changed property's name, from the control's type description.
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID dispID) noexcept override try {
        std::u16string name = u"?";
        for (const comrt::member_desc& member : kPropertiesCtlMembers)
            if (member.id == dispID) name = member.name;
        if (log) log->add("site.OnChanged(" + Printable(name) + ")");
        changed.push_back(std::move(name));
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) noexcept override { return E_UNEXPECTED; }
    // Accepts every value unless `refusal` gives a reason for item `index` and the value.
    HRESULT STDMETHODCALLTYPE ValidateItemValue(_clsTessel*, LONG index, BSTR newValue,
                                                BSTR* message) noexcept override try {
        const std::u16string reason = refusal ? refusal(index, comrt::Bstr::view_of(newValue)) : u"";
        if (reason.empty()) return S_OK;
        *message = comrt::Bstr(reason).detach();
        return S_FALSE;
    } catch (...) {
        return comrt::to_hresult();
    }

    // "control.Resize 0x80004005; ..." for messages.
    std::string text() const {
        std::string out;
        for (const HandlerFailure& f : failures) out += Printable(f.handler) + " " + Hex(f.hr) + "; ";
        return out;
    }

    std::function<std::u16string(LONG index, std::u16string_view value)> refusal;
    std::vector<HandlerFailure> failures;
    // The properties the control reported changed, in order; also logged as
    // "site.OnChanged(<name>)" into log when one is set.
    std::vector<std::u16string> changed;
    fakes::CallLog* log = nullptr;
};

// ---- one control on the fakes --------------------------------------------------------------

// A control from a class factory as the server library makes it, sited on `widgets`
// with `site` as the container's site.
inline comrt::ComPtr<_PropertiesCtl> CreateSitedControl(const fakes::FakeWidgets& widgets, IUnknown* site) {
    comrt::ComPtr<IClassFactory> factory =
        comrt::make<comrt::class_factory>(&comrt::create_instance<PropertiesCtl>).as<IClassFactory>();
    comrt::ComPtr<_PropertiesCtl> control;
    comrt::check(factory->CreateInstance(nullptr, IID__PropertiesCtl, control.put_void()));
    const widgets::WidgetSet set = widgets.set();
    comrt::check(static_cast<PropertiesCtl&>(*control).Site(set, site));
    return control;
}

class ControlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        site = comrt::make<RecordingSite>();
        site->log = &fakes.env->log();
        ctl = CreateSitedControl(fakes, static_cast<IControlErrorSink*>(site.get()));
    }
    void TearDown() override {
        if (started_ && !terminated_) Terminate();
        ctl = nullptr;
    }
    // The unload check runs here, once the derived fixtures' groups and items are gone too.
    ~ControlFixture() override {
        ctl = nullptr;
        site = nullptr;
        pg_testing::ExpectNothingAlive();
    }

    // The container's start-up: Initialize, then a Resize to width x height. Clears the
    // log afterwards unless told not to.
    void Start(float width = 4800, float height = 3975, bool clear_log = true) {
        fakes.surface->raise_initialize();
        fakes.surface->resize(width, height);
        started_ = true;
        if (clear_log) log().clear();
    }
    void Terminate() {
        fakes.surface->raise_terminate();
        terminated_ = true;
    }

    // The object behind ctl, whose state the tests look at.
    PropertiesCtl& impl() { return static_cast<PropertiesCtl&>(*ctl); }
    fakes::CallLog& log() { return fakes.env->log(); }

    // Host calls through _PropertiesCtl.
    HRESULT Add(const comrt::ComPtr<_clsTessel>& group) {
        _clsTessel* arg = group.get();
        comrt::Variant result;
        return ctl->AddPropertyGroup(&arg, result.put());
    }
    HRESULT Select(SHORT index) {
        comrt::Variant result;
        return ctl->SelectPropertyGroup(&index, result.put());
    }

    // The grid's cells row by row, "name=value" each.
    std::vector<std::string> GridRows() const {
        std::vector<std::string> rows;
        for (std::int32_t r = 0; r < fakes.grid->rows(); ++r)
            rows.push_back(Printable(fakes.grid->cell_text(r, 0)) + "=" + Printable(fakes.grid->cell_text(r, 1)));
        return rows;
    }

    fakes::FakeWidgets fakes;
    comrt::ComPtr<RecordingSite> site;
    comrt::ComPtr<_PropertiesCtl> ctl;

private:
    bool started_ = false;
    bool terminated_ = false;
};

}  // namespace orvane::testing
