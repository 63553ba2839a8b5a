// A PropertiesCtl sited on the fakes, as a container does it: created through a class
// factory, sited on one FakeWidgets set with a recording error channel, then driven by
// the container's events (Start: Initialize and a first Resize; Terminate at the end).
// Also: groups made through the real Tessel classes, and readable values for messages.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <comrt/com.h>
#include <comrt/server.h>
#include <control/PropertiesCtl.h>
#include <control/collections.h>
#include <tests/fakes/fake_widgets.h>

#include "clsTessel.h"

namespace orvane {

// Failure messages name the state of a fill.
inline void PrintTo(GridFill fill, std::ostream* out) { *out << (fill == GridFill::filling ? "filling" : "idle"); }

}  // namespace orvane

namespace orvane::testing {

inline constexpr HRESULT kOverflow = comrt::runtime_hresult(comrt::runtime_error::overflow);
inline constexpr HRESULT kSubscript = comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range);
inline constexpr HRESULT kTypeMismatch = comrt::runtime_hresult(comrt::runtime_error::type_mismatch);
inline constexpr HRESULT kObjectNotSet = comrt::runtime_hresult(comrt::runtime_error::object_not_set);

inline std::string Hex(HRESULT hr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
    return buf;
}
// UTF-16 as text for messages (UTF-8).
inline std::string Printable(std::u16string_view text) { return fakes::format_value(text); }

// ---- groups ----------------------------------------------------------------------------

struct ItemFields {
    std::u16string name;
    std::u16string value;
    SHORT type = 0;                       // 1: edited with the drop-down list of choices
    std::vector<std::u16string> choices;  // stored from index 0; empty: no list
};

// A group through the real clsTessel, items added with AddItem in the order given.
inline comrt::ComPtr<_clsTessel> MakeGroup(std::u16string_view name, const std::vector<ItemFields>& items) {
    comrt::ComPtr<_clsTessel> group = comrt::make<tessel::clsTessel>().as<_clsTessel>();
    comrt::Bstr group_name(name);
    comrt::check(group->put_PropertyGroupName(group_name.get()));
    for (const ItemFields& fields : items) {
        comrt::SafeArrayPtr choices;
        if (!fields.choices.empty())
            choices.reset(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(fields.choices.size())));
        for (LONG i = 0; i < static_cast<LONG>(fields.choices.size()); ++i) {
            comrt::Bstr choice(fields.choices[static_cast<std::size_t>(i)]);
            comrt::check(SafeArrayPutElement(choices.get(), &i, choice.get()));
        }
        comrt::Bstr item_name(fields.name), item_value(fields.value);
        BSTR name_arg = item_name.get(), value_arg = item_value.get();
        SHORT type = fields.type;
        SAFEARRAY* choices_arg = choices.get();
        LONG result = 0;
        comrt::check(group->AddItem(&name_arg, &value_arg, &type, &choices_arg, &result));
    }
    return group;
}

// A group of `count` free-text items u"<name>.Name<k>" = u"<name>.Value<k>" (k from 1).
inline comrt::ComPtr<_clsTessel> MakeGroup(std::u16string_view name, int count) {
    std::vector<ItemFields> items;
    for (int k = 1; k <= count; ++k) {
        std::u16string number;
        for (char c : std::to_string(k)) number += static_cast<char16_t>(c);
        const std::u16string prefix = std::u16string(name) + u".";
        items.push_back({prefix + u"Name" + number, prefix + u"Value" + number, 0, {}});
    }
    return MakeGroup(name, items);
}

// Item k (from 1) of a group, and its ItemValue.
inline comrt::ComPtr<_clsPropertyItem> ItemOf(_clsTessel& group, LONG k) {
    return CollectionItemAs<_clsPropertyItem>(*ItemsCollectionOf(group), k);
}
inline std::u16string ItemValue(_clsTessel& group, LONG k) {
    comrt::Bstr s;
    comrt::check(ItemOf(group, k)->get_ItemValue(s.put()));
    return std::u16string(s.view());
}

// ---- the error channel -------------------------------------------------------------------

struct HandlerFailure {
    std::u16string handler;
    HRESULT hr;
};

class RecordingErrorSink final : public comrt::implements<RecordingErrorSink, IControlErrorSink> {
public:
    HRESULT STDMETHODCALLTYPE HandlerFailed(LPCOLESTR handler, HRESULT hr) noexcept override try {
        failures.push_back({handler ? handler : u"", hr});
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    // "control.Resize 0x80004005; ..." for messages.
    std::string text() const {
        std::string out;
        for (const HandlerFailure& f : failures) out += Printable(f.handler) + " " + Hex(f.hr) + "; ";
        return out;
    }

    std::vector<HandlerFailure> failures;
};

// ---- one control on the fakes --------------------------------------------------------------

// A control from the class factory the server library uses, sited on `widgets`.
inline comrt::ComPtr<_PropertiesCtl> CreateSitedControl(const fakes::FakeWidgets& widgets,
                                                         IControlErrorSink* errors) {
    comrt::ComPtr<IClassFactory> factory =
        comrt::make<comrt::class_factory>(&comrt::create_instance<PropertiesCtl>).as<IClassFactory>();
    comrt::ComPtr<_PropertiesCtl> control;
    comrt::check(factory->CreateInstance(nullptr, IID__PropertiesCtl, control.put_void()));
    const widgets::WidgetSet set = widgets.set();
    comrt::check(control.as<IControlSite>()->Site(&set, errors));
    return control;
}

class ControlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        errors = comrt::make<RecordingErrorSink>();
        ctl = CreateSitedControl(fakes, errors.get());
    }
    void TearDown() override {
        if (started_ && !terminated_) Terminate();
        ctl = nullptr;
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
    comrt::ComPtr<RecordingErrorSink> errors;
    comrt::ComPtr<_PropertiesCtl> ctl;

private:
    bool started_ = false;
    bool terminated_ = false;
};

}  // namespace orvane::testing
