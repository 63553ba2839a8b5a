// A recording container surface, as control/widgets/container.h states, and a recording
// property bag (a COM object, as a container hands one to IPersistPropertyBag).
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

#include <comrt/implements.h>
#include <comrt/ocidl.h>
#include <comrt/resource.h>
#include <control/widgets/container.h>
#include <tests/fakes/fake_appearance.h>

namespace orvane::fakes {

// A read of a key that the bag does not hold.
inline constexpr HRESULT kDataValueNotFound = comrt::runtime_hresult(comrt::runtime_error::data_value_not_found);

class FakePropertyBag final : public comrt::implements<FakePropertyBag, IPropertyBag>, public FakeBase {
public:
    explicit FakePropertyBag(std::shared_ptr<FakeEnvironment> env, std::string name = "bag");

    // ---- IPropertyBag: logged as ReadProperty(key) / WriteProperty(key) -----------------
    // Read gives the stored value (the type asked for is not converted); a key the bag
    // lacks fails with kDataValueNotFound, a damaged one with its failure.
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) noexcept override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR pszPropName, VARIANT* pVar) noexcept override;

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
    // Takes the rectangle's size (15 twips a pixel) and, when the size changed or on the
    // first call, resizes as resize() does.
    void SetObjectRect(const RECT& position) override;
    void SetVisible(bool visible) override {
        record_put("Visible", visible ? "true" : "false");
        visible_ = visible;
    }
    // Logged as ShowMessage(left,top,width,text) and HideMessage().
    void ShowMessage(float left, double top, std::int32_t width, std::u16string_view text) override;
    void HideMessage() override;
    // Destroys the window: from now on every contract member of the widgets that share
    // its window flag (set_window_flag) fails with E_HANDLE. Not logged.
    void Destroy() noexcept override;

    // ---- the container's side ----------------------------------------------------------
    void raise_initialize();
    void raise_terminate();
    // The user moves the focus out of the control.
    void raise_exit_focus();
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
    const RECT& object_rect() const noexcept { return object_rect_; }
    bool destroyed() const noexcept { return window_gone(); }
    bool visible() const noexcept { return visible_; }
    // The message line's text while it is shown, empty while it is hidden.
    const std::u16string& message() const noexcept { return message_; }

private:
    LRESULT handle(UINT msg);

    widgets::ContainerEvents* sink_ = nullptr;
    HWND window_;
    float scale_width_ = 4800;
    float scale_height_ = 3975;
    RECT object_rect_{0, 0, 320, 265};
    bool placed_ = false;
    bool visible_ = true;
    std::u16string message_;
};

}  // namespace orvane::fakes
