// The appearance members that every widget of the contract has: BackColor, ForeColor
// and Font puts, recorded and failing alike in each fake.
//
// Log entries: `<fake>.BackColor=0x80000005`, `<fake>.ForeColor=...`, `<fake>.Font=(font)`
// (or `(null)`). A null font fails with the object-not-set error (91) and keeps the font
// held before.
#pragma once

#include <memory>
#include <string>

#include <tests/fakes/fake_environment.h>

namespace orvane::fakes {

// Contract is the widget interface (widgets::Grid, TextBox, DropDown, Container); the
// fake derives from FakeAppearance<Contract> instead of Contract and FakeBase.
template <typename Contract>
class FakeAppearance : public Contract, public FakeBase {
public:
    void SetBackColor(OLE_COLOR color) override {
        record_put("BackColor", format_color(color));
        back_color_ = color;
    }
    void SetForeColor(OLE_COLOR color) override {
        record_put("ForeColor", format_color(color));
        fore_color_ = color;
    }
    void SetFont(const widgets::FontRef& font) override {
        record_put("Font", font ? "(font)" : "(null)");
        if (!font) fail_runtime(comrt::runtime_error::object_not_set);
        font_ = font;
    }

    // ---- the test's view ---------------------------------------------------------------
    OLE_COLOR back_color() const noexcept { return back_color_; }
    OLE_COLOR fore_color() const noexcept { return fore_color_; }
    const widgets::FontRef& font() const noexcept { return font_; }

protected:
    // The colours the widget starts with (system colours, as a form designer sets them).
    FakeAppearance(std::shared_ptr<FakeEnvironment> env, std::string name, OLE_COLOR back_color,
                   OLE_COLOR fore_color)
        : FakeBase(std::move(env), std::move(name)), back_color_(back_color), fore_color_(fore_color) {}

    OLE_COLOR back_color_;
    OLE_COLOR fore_color_;
    widgets::FontRef font_;
};

}  // namespace orvane::fakes
