// A recording container surface and property bag, as control/widgets/container.h states.
//
// The surface's window lives in the environment's window system. Its original procedure
// is the surface's own handling: for WM_SIZE it raises Resize, and it answers every
// message with the window's default result (FakeWindowSystem). resize() and paint()
// deliver their message at the window's current procedure, so a procedure hooked into
// the window sees the message after the control has handled it.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include <control/widgets/container.h>
#include <tests/fakes/fake_appearance.h>

namespace orvane::fakes {

class FakePropertyBag final : public widgets::PropertyBag, public FakeBase {
public:
    explicit FakePropertyBag(std::shared_ptr<FakeEnvironment> env, std::string name = "bag");

    // ---- widgets::PropertyBag --------------------------------------------------------
    comrt::Variant ReadProperty(std::u16string_view key) override;
    void WriteProperty(std::u16string_view key, const VARIANT& value) override;

    // ---- the test's controls and view --------------------------------------------------
    // Stores value under key as WriteProperty would, without logging.
    void set_entry(std::u16string_view key, const VARIANT& value);
    // Reads of key fail with hr (a damaged entry) until the key is written again.
    void damage(std::u16string_view key, HRESULT hr);
    // The keys in the order they were first stored.
    std::vector<std::u16string> keys() const;
    // The value stored under key, or null.
    const VARIANT* entry(std::u16string_view key) const;

private:
    void store(std::u16string_view key, const VARIANT& value);

    std::vector<std::pair<std::u16string, comrt::Variant>> entries_;
    std::map<std::u16string, HRESULT, std::less<>> damaged_;
};

class FakeContainer final : public FakeAppearance<widgets::Container> {
public:
    explicit FakeContainer(std::shared_ptr<FakeEnvironment> env, std::string name = "surface");
    ~FakeContainer();

    // ---- widgets::Container ----------------------------------------------------------
    void SetEventSink(widgets::ContainerEvents* sink) noexcept override { sink_ = sink; }
    float ScaleWidth() override;
    float ScaleHeight() override;
    OLE_HANDLE hWnd() override;
    OLE_COLOR BackColor() override;
    OLE_COLOR ForeColor() override;
    widgets::FontRef Font() override;
    void PropertyChanged(std::u16string_view name) override;

    // ---- the container's side ----------------------------------------------------------
    void raise_initialize();
    void raise_terminate();
    void raise_read_properties(widgets::PropertyBag& bag);
    void raise_write_properties(widgets::PropertyBag& bag);
    // Gives the control a new inner size: WM_SIZE through the window's procedure chain,
    // whose original procedure raises Resize. Returns the message's result.
    LRESULT resize(float scale_width, float scale_height);
    // WM_PAINT through the window's procedure chain.
    LRESULT paint();
    // Sets the font the surface starts with (design time), without logging.
    void set_font(widgets::FontRef font) noexcept { font_ = std::move(font); }

    // ---- the test's view ---------------------------------------------------------------
    HWND window() const noexcept { return window_; }
    float scale_width() const noexcept { return scale_width_; }
    float scale_height() const noexcept { return scale_height_; }
    // The names passed to PropertyChanged, in order.
    const std::vector<std::u16string>& changed_properties() const noexcept { return changed_; }

private:
    LRESULT handle(UINT msg);

    widgets::ContainerEvents* sink_ = nullptr;
    HWND window_;
    float scale_width_ = 4800;
    float scale_height_ = 3975;
    std::vector<std::u16string> changed_;
};

}  // namespace orvane::fakes
