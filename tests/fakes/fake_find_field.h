// A recording find field that behaves as control/widgets/find_field.h states. Its focus is
// shared with the other fakes of the environment.
#pragma once

#include <control/widgets/find_field.h>
#include <tests/fakes/fake_environment.h>

namespace orvane::fakes {

class FakeFindField final : public widgets::FindField, public FakeBase, private Focusable {
public:
    explicit FakeFindField(std::shared_ptr<FakeEnvironment> env, std::string name = "find_field");
    ~FakeFindField();

    // ---- widgets::FindField ----------------------------------------------------------
    void SetEventSink(widgets::FindFieldEvents* sink) noexcept override { sink_ = sink; }
    std::u16string Text() override;
    void SetText(std::u16string_view text) override;
    void SetVisible(bool visible) override;
    void Move(float left, float top, float width) override;
    float Height() override;
    void SetStatus(std::u16string_view status, bool found) override;
    void SetFocus() override;
    void SetAccessibleName(std::u16string_view name) override;

    // ---- the test's controls -----------------------------------------------------------
    // The user types: the text becomes text, then Change.
    void user_type(std::u16string text);
    // The user presses a key in the field: KeyDown; returns whether it was left unhandled.
    bool user_key(std::int16_t key, std::int16_t shift = 0);

    // ---- the test's view ---------------------------------------------------------------
    const std::u16string& text() const noexcept { return text_; }
    bool visible() const noexcept { return visible_; }
    float top() const noexcept { return top_; }
    // "2 of 5", or "!No match" for a miss.
    std::u16string status() const { return (found_ ? u"" : u"!") + status_; }
    bool has_focus() const noexcept;

    static constexpr float kHeight = 315;

private:
    void focus_lost() override {}

    widgets::FindFieldEvents* sink_ = nullptr;
    std::u16string text_;
    std::u16string status_;
    bool found_ = true;
    bool visible_ = false;
    float left_ = 0;
    float top_ = 0;
    float width_ = 0;
};

}  // namespace orvane::fakes
