// A recording drop-down list that behaves as control/widgets/drop_down.h states: Click
// when SetListIndex changes the index and never when it sets the selected one, a
// rejected index that names no entry, and the selected entry shown as Text.
#pragma once

#include <vector>

#include <control/widgets/drop_down.h>
#include <tests/fakes/fake_appearance.h>

namespace orvane::fakes {

class FakeDropDown final : public FakeAppearance<widgets::DropDown>, private Focusable {
public:
    explicit FakeDropDown(std::shared_ptr<FakeEnvironment> env, std::string name = "drop_down_editor");
    ~FakeDropDown();

    // ---- widgets::DropDown -----------------------------------------------------------
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
    void ZOrder(std::int16_t position) override;
    void Refresh() override;
    // Logged as ShowList(); opens the list (list_shown()) when the drop-down is visible.
    void ShowList() override;

    // Kept for the test, not logged: what a screen reader announces changes no behaviour.
    void SetAccessibleName(std::u16string_view name) override {
        if (window_gone()) throw comrt::com_error(E_HANDLE);
        accessible_name_ = name;
    }
    const std::u16string& accessible_name() const noexcept { return accessible_name_; }

    // ---- the test's controls -----------------------------------------------------------
    // The list's own height (default 315).
    void set_height(float height) noexcept { height_ = height; }
    // The user picks entry index (which must name an entry): it becomes selected and
    // Click is raised, also when it was selected already.
    void user_pick(std::int16_t index);
    // The user presses a key in the closed drop-down: KeyDown; returns whether the sink
    // left it unhandled.
    bool user_key(std::int16_t key, std::int16_t shift = 0);

    // ---- the test's view ---------------------------------------------------------------
    const std::vector<std::u16string>& entries() const noexcept { return entries_; }
    std::int16_t list_index() const noexcept { return list_index_; }
    std::u16string text() const;
    bool visible() const noexcept { return visible_; }
    // Whether ShowList opened the list (it closes when the drop-down is hidden).
    bool list_shown() const noexcept { return list_shown_; }
    float left() const noexcept { return left_; }
    float top() const noexcept { return top_; }
    float width() const noexcept { return width_; }
    float height() const noexcept { return height_; }
    bool has_focus() const noexcept;
    std::int16_t z_position() const noexcept { return z_position_; }

private:
    std::u16string accessible_name_;
    void focus_lost() override {}
    void click();

    widgets::DropDownEvents* sink_ = nullptr;
    std::vector<std::u16string> entries_;
    std::int16_t list_index_ = -1;
    bool visible_ = true;
    bool list_shown_ = false;
    float left_ = 2640;
    float top_ = 3120;
    float width_ = 1815;
    float height_ = 315;
    std::int16_t z_position_ = 1;
};

}  // namespace orvane::fakes
