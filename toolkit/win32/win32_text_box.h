// The text box of the widget contract (control/widgets/text_box.h): a borderless
// single-line EDIT control, subclassed so that the control sees the keys it acts on
// first and learns of the focus coming and going.
#pragma once

#include <control/widgets/text_box.h>
#include <toolkit/win32/child_control.h>

namespace orvane::win32 {

class Win32TextBox final : public widgets::TextBox, public ChildControl {
public:
    // Made hidden in parent at the place given in twips.
    Win32TextBox(FamilyRef family, HWND parent, float left, float top, float width, float height);

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
    void SetBackColor(OLE_COLOR color) override { setBack(color); }
    void SetForeColor(OLE_COLOR color) override { setFore(color); }
    void SetFont(const widgets::FontRef& font) override { setFont(font); }
    void SetAccessibleName(std::u16string_view name) override { setAccessibleName(name); }

private:
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;

    widgets::TextBoxEvents* sink_ = nullptr;
    std::int16_t tab_index_ = 0;
    bool swallow_char_ = false;  // the character of a key the control handled
};

}  // namespace orvane::win32
