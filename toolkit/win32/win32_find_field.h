// The find field of the widget contract (control/widgets/find_field.h): a one-line EDIT
// control, hidden until opened, with the status painted at its end in a margin kept free
// for it.
#pragma once

#include <control/widgets/find_field.h>
#include <toolkit/win32/child_control.h>

namespace orvane::win32 {

class Win32FindField final : public widgets::FindField, public ChildControl {
public:
    Win32FindField(FamilyRef family, HWND parent);

    void SetEventSink(widgets::FindFieldEvents* sink) noexcept override { sink_ = sink; }
    std::u16string Text() override;
    void SetText(std::u16string_view text) override;
    void SetVisible(bool visible) override;
    void Move(float left, float top, float width) override;
    float Height() override;
    void SetStatus(std::u16string_view status, bool found) override;
    void SetFocus() override;
    void SetAccessibleName(std::u16string_view name) override { setAccessibleName(name); }

    void command(WORD code) override;

private:
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int heightPixels() const noexcept;
    void paintStatus() noexcept;

    widgets::FindFieldEvents* sink_ = nullptr;
    std::u16string status_;
    bool found_ = true;
    bool setting_text_ = false;  // a SetText, which raises no Change
    bool swallow_char_ = false;
};

}  // namespace orvane::win32
