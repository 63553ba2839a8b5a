// A drop-down list of the widget contract (control/widgets/drop_down.h): a COMBOBOX of
// style CBS_DROPDOWNLIST, its entries never sorted, subclassed so that the control sees
// the keys of the closed list first.
#pragma once

#include <control/widgets/drop_down.h>
#include <toolkit/win32/child_control.h>

namespace orvane::win32 {

class Win32DropDown final : public widgets::DropDown, public ChildControl {
public:
    // Made in parent at the place given in twips, shown or hidden; its height is its own.
    Win32DropDown(FamilyRef family, HWND parent, float left, float top, float width, bool visible);

    // Whether its list of entries is open.
    bool listOpen() const noexcept;

    void SetEventSink(widgets::DropDownEvents* sink) noexcept override { sink_ = sink; }
    void SetLeft(float left) override;
    void SetTop(float top) override;
    void SetWidth(float width) override;
    float Height() override;
    void SetVisible(bool visible) override;
    std::u16string Text() override;
    std::int16_t ListIndex() override;
    void SetListIndex(std::int16_t index) override;
    void Clear() override;
    void AddItem(std::u16string_view text) override;
    void SetFocus() override;
    void ShowList() override;
    void ZOrder(std::int16_t position) override;
    void Refresh() override;
    void SetBackColor(OLE_COLOR color) override { setBack(color); }
    void SetForeColor(OLE_COLOR color) override { setFore(color); }
    void SetFont(const widgets::FontRef& font) override { setFont(font); }
    void SetAccessibleName(std::u16string_view name) override { setAccessibleName(name); }

    void command(WORD code) override;

private:
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void raiseClick() noexcept;
    void listRedraw(bool on) const noexcept;

    widgets::DropDownEvents* sink_ = nullptr;
    bool swallow_char_ = false;
    bool open_ = false;    // between the list's CBN_DROPDOWN and CBN_CLOSEUP
    HWND list_ = nullptr;  // the list that opens under the box
};

}  // namespace orvane::win32
