// Appearance and persistence on the fakes: colour and font puts fanning out to the
// surface and the four widgets, saving into and restoring from the property bag.
#include <gmock/gmock.h>

#include "control_fixture.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

comrt::ComPtr<IFontDisp> NewFont() {
    comrt::ComPtr<IFontDisp> font;
    comrt::check(OleCreateFontIndirect(nullptr, IID_IFontDisp, font.put_void()));
    return font;
}

comrt::Variant Value(VARTYPE vt, LONG number, IDispatch* object = nullptr) {
    comrt::Variant v;
    v->vt = vt;
    if (vt == VT_DISPATCH) (v->pdispVal = object)->AddRef();
    else if (vt == VT_BSTR) v->bstrVal = SysAllocString(u"not a colour");
    else v->lVal = number;
    return v;
}

class AppearanceTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        Start();
    }
    // The receivers' appearance puts and the change notices, in order.
    std::vector<std::string> AppearanceLog() {
        std::vector<std::string> out;
        for (const std::string& entry : log().entries())
            if (entry.find("Color=") != std::string::npos || entry.find("Font=") != std::string::npos ||
                entry.find("OnChanged") != std::string::npos)
                out.push_back(entry);
        return out;
    }
    std::vector<std::string> FanOut(const std::string& set, const std::string& name) {
        return {"surface." + set, "text_editor." + set, "selector." + set, "drop_down_editor." + set, "grid." + set,
                "site.OnChanged(" + name + ")"};
    }

    // Load and Save, as the container calls them.
    HRESULT Load(_PropertiesCtl& control, IPropertyBag& from) {
        return static_cast<PropertiesCtl&>(control).Load(&from, nullptr);
    }
    HRESULT Save(IPropertyBag& to) { return impl().Save(&to, TRUE, TRUE); }

    comrt::ComPtr<fakes::FakePropertyBag> bag = comrt::make<fakes::FakePropertyBag>(fakes.env);
};

TEST_F(AppearanceTest, ColourPutsReachAllFiveReceiversThenNotify) {
    using Put = HRESULT (STDMETHODCALLTYPE _PropertiesCtl::*)(OLE_COLOR) noexcept;
    using Get = HRESULT (STDMETHODCALLTYPE _PropertiesCtl::*)(OLE_COLOR*) noexcept;
    const struct {
        std::string name;
        Put put;
        Get get;
        OLE_COLOR value;
    } rows[] = {
        {"BackColor", &_PropertiesCtl::put_BackColor, &_PropertiesCtl::get_BackColor, 0x80000005},
        {"BackColor", &_PropertiesCtl::putref_BackColor, &_PropertiesCtl::get_BackColor, 0x00123456},
        {"ForeColor", &_PropertiesCtl::put_ForeColor, &_PropertiesCtl::get_ForeColor, 0x80000008},
        {"ForeColor", &_PropertiesCtl::putref_ForeColor, &_PropertiesCtl::get_ForeColor, 0x000000FF},
    };
    for (const auto& row : rows) {
        const std::string value = fakes::format_color(row.value);
        for (int round = 1; round <= 2; ++round) {  // the same value again still reaches everyone
            log().clear();
            ASSERT_EQ(S_OK, (ctl.get()->*row.put)(row.value));
            EXPECT_EQ(FanOut(row.name + "=" + value, row.name), AppearanceLog()) << "round " << round;
        }
        OLE_COLOR got = 0;
        ASSERT_EQ(S_OK, (ctl.get()->*row.get)(&got));
        EXPECT_EQ(value, fakes::format_color(got));
    }
}

TEST_F(AppearanceTest, FontPutsHandTheSameObjectToEveryReceiver) {
    for (auto put : {&_PropertiesCtl::put_Font, &_PropertiesCtl::putref_Font}) {
        comrt::ComPtr<IFontDisp> font = NewFont();
        log().clear();
        ASSERT_EQ(S_OK, (ctl.get()->*put)(font.get()));
        EXPECT_EQ(FanOut("Font=(font)", "Font"), AppearanceLog());
        for (const widgets::FontRef* held : {&fakes.surface->font(), &fakes.text_editor->font(), &fakes.selector->font(),
                                             &fakes.drop_down_editor->font(), &fakes.grid->font()})
            EXPECT_EQ(font.get(), held->get());
        comrt::ComPtr<IFontDisp> got;
        ASSERT_EQ(S_OK, ctl->get_Font(got.put()));
        EXPECT_EQ(font.get(), got.get());
    }
}

TEST_F(AppearanceTest, AFailingReceiverEndsThePutWithoutNotice) {
    fakes.selector->fail_at("BackColor=", 1, E_FAIL);
    EXPECT_EQ(Hex(E_FAIL), Hex(ctl->put_BackColor(0x00112233)));
    EXPECT_THAT(AppearanceLog(), ElementsAre("surface.BackColor=0x00112233", "text_editor.BackColor=0x00112233",
                                             "selector.BackColor=0x00112233 (failed)"));
    EXPECT_EQ(Hex(kObjectNotSet), Hex(ctl->put_Font(nullptr))) << "the surface refuses no font";
    EXPECT_THAT(site->changed, IsEmpty());
}

TEST_F(AppearanceTest, SavingWritesExactlyThreeEntriesAndRestoringReachesEveryWidget) {
    comrt::ComPtr<IFontDisp> font = NewFont();
    fakes.surface->set_font(font);  // design-time values, never put
    log().clear();
    ASSERT_EQ(S_OK, Save(*bag));
    EXPECT_THAT(log().starting_with("bag."),
                ElementsAre("bag.WriteProperty(BackColor)", "bag.WriteProperty(ForeColor)", "bag.WriteProperty(Font)"));
    ASSERT_THAT(bag->keys(), ElementsAre(u"BackColor", u"ForeColor", u"Font"));
    EXPECT_EQ(VT_I4, bag->entry(u"BackColor")->vt);
    EXPECT_EQ(static_cast<LONG>(0x8000000F), bag->entry(u"BackColor")->lVal);
    EXPECT_EQ(static_cast<LONG>(0x80000012), bag->entry(u"ForeColor")->lVal);
    EXPECT_EQ(VT_DISPATCH, bag->entry(u"Font")->vt);
    EXPECT_EQ(static_cast<IDispatch*>(font.get()), bag->entry(u"Font")->pdispVal);

    // A second control, whose widgets still show their own design-time look, loads it.
    fakes::FakeWidgets second(fakes.env, "b.");
    comrt::ComPtr<RecordingSite> second_site = comrt::make<RecordingSite>();
    comrt::ComPtr<_PropertiesCtl> loaded =
        CreateSitedControl(second, static_cast<IControlErrorSink*>(second_site.get()));
    second.surface->raise_initialize();
    ASSERT_EQ(S_OK, Load(*loaded, *bag));
    EXPECT_THAT(second_site->changed, ElementsAre(u"BackColor", u"ForeColor", u"Font"));
    EXPECT_EQ(0x8000000Fu, second.grid->back_color());
    EXPECT_EQ(0x80000012u, second.text_editor->fore_color());
    EXPECT_EQ(font.get(), second.drop_down_editor->font().get());
    EXPECT_THAT(fakes.env->event_failures(), IsEmpty());
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
    second.surface->raise_terminate();
}

TEST_F(AppearanceTest, ABadEntryIsSkippedAndTheOthersStillRestore) {
    comrt::ComPtr<IFontDisp> font = NewFont();
    for (bool damaged : {true, false}) {
        comrt::ComPtr<fakes::FakePropertyBag> spoiled = comrt::make<fakes::FakePropertyBag>(fakes.env);
        spoiled->set_entry(u"BackColor", *Value(VT_BSTR, 0).get());  // no number
        spoiled->set_entry(u"ForeColor", *Value(VT_I4, 0x00010203).get());
        spoiled->set_entry(u"Font", *Value(VT_DISPATCH, 0, font.get()).get());
        if (damaged) spoiled->damage(u"BackColor", E_FAIL);
        site->failures.clear();
        const std::size_t notices = site->changed.size();

        EXPECT_EQ(S_OK, Load(*ctl, *spoiled)) << "the load does not fail";
        EXPECT_THAT(fakes.env->event_failures(), IsEmpty()) << "the load does not fail";
        EXPECT_EQ(0x00010203u, fakes.grid->fore_color());
        EXPECT_EQ(font.get(), fakes.grid->font().get());
        EXPECT_EQ(notices + 2, site->changed.size());
        ASSERT_EQ(1u, site->failures.size()) << site->text();
        EXPECT_EQ(u"control.ReadProperties", site->failures[0].handler);
        EXPECT_EQ(Hex(damaged ? E_FAIL : kTypeMismatch), Hex(site->failures[0].hr));
    }
    site->failures.clear();
    comrt::ComPtr<fakes::FakePropertyBag> empty = comrt::make<fakes::FakePropertyBag>(fakes.env);
    EXPECT_EQ(S_OK, Load(*ctl, *empty));
    EXPECT_THAT(fakes.env->event_failures(), IsEmpty());
    EXPECT_EQ(3u, site->failures.size()) << "every key is missing: " << site->text();
}

}  // namespace
}  // namespace orvane::testing
