// A recording text box that behaves as control/widgets/text_box.h states.
//
// The input focus is shared with the other fakes of the environment: SetFocus raises
// GotFocus only when the text box did not have the focus, and the text box raises
// LostFocus when the focus moves to another widget (or to none, user_leave_focus).
#pragma once

#include <control/widgets/text_box.h>
#include <tests/fakes/fake_appearance.h>

namespace orvane::fakes {

class FakeTextBox final : public FakeAppearance<widgets::TextBox>, private Focusable {
public:
    explicit FakeTextBox(std::shared_ptr<FakeEnvironment> env, std::string name = "text_editor");
    ~FakeTextBox();

    // ---- widgets::TextBox ------------------------------------------------------------
    void SetEventSink(widgets::TextBoxEvents* sink) noexcept override { sink_ = sink; }
    std::u16string Text() override;
    void SetText(std::u16string_view text) override;
    void SetVisible(bool visible) override;
    void Move(float left, double top, std::int32_t width, std::int32_t height) override;
    void SetTabIndex(std::int16_t index) override;
    void SetBorderStyle(std::int16_t style) override;
    void SetSelStart(std::int32_t start) override;
    void SetSelLength(std::int32_t length) override;
    void SetFocus() override;
    void ZOrder(std::int16_t position) override;

    // Kept for the test, not logged: what a screen reader announces changes no behaviour.
    void SetAccessibleName(std::u16string_view name) override {
        if (window_gone()) throw comrt::com_error(E_HANDLE);
        accessible_name_ = name;
    }
    const std::u16string& accessible_name() const noexcept { return accessible_name_; }

    // ---- the test's controls -----------------------------------------------------------
    // The user types: the content becomes text, the caret goes to its end.
    void user_type(std::u16string text);
    // The focus leaves the control's widgets (e.g. another application's window).
    void user_leave_focus();
    // The user presses a key in the text box: KeyDown; returns whether the sink left the
    // key unhandled (the text box would act on it).
    bool user_key(std::int16_t key, std::int16_t shift = 0);

    // ---- the test's view ---------------------------------------------------------------
    const std::u16string& text() const noexcept { return text_; }
    // Whether a text was ever put or typed.
    bool text_written() const noexcept { return text_written_; }
    bool visible() const noexcept { return visible_; }
    float left() const noexcept { return left_; }
    double top() const noexcept { return top_; }
    std::int32_t width() const noexcept { return width_; }
    std::int32_t height() const noexcept { return height_; }
    std::int16_t tab_index() const noexcept { return tab_index_; }
    std::int16_t border_style() const noexcept { return border_style_; }
    std::int32_t sel_start() const noexcept { return sel_start_; }
    std::int32_t sel_length() const noexcept { return sel_length_; }
    bool has_focus() const noexcept;
    // 0 in front of its siblings, 1 behind them.
    std::int16_t z_position() const noexcept { return z_position_; }

private:
    std::u16string accessible_name_;
    void focus_lost() override;
    std::int32_t length() const noexcept { return static_cast<std::int32_t>(text_.size()); }

    widgets::TextBoxEvents* sink_ = nullptr;
    std::u16string text_;  // empty until something is put or typed
    bool text_written_ = false;
    bool visible_ = true;
    float left_ = 840;
    double top_ = 3000;
    std::int32_t width_ = 1335;
    std::int32_t height_ = 285;
    std::int16_t tab_index_ = 0;
    std::int16_t border_style_ = 1;
    std::int32_t sel_start_ = 0;
    std::int32_t sel_length_ = 0;
    std::int16_t z_position_ = 1;
};

}  // namespace orvane::fakes
