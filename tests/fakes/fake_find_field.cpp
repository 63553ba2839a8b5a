// The recording find field (fake_find_field.h).
#include <tests/fakes/fake_find_field.h>

namespace orvane::fakes {

FakeFindField::FakeFindField(std::shared_ptr<FakeEnvironment> env, std::string name)
    : FakeBase(std::move(env), std::move(name)) {}

FakeFindField::~FakeFindField() {
    sink_ = nullptr;
    if (has_focus()) env().move_focus(nullptr);
}

std::u16string FakeFindField::Text() {
    record_get("Text");
    return text_;
}

void FakeFindField::SetText(std::u16string_view text) {
    record_put("Text", format_value(text));
    text_ = std::u16string(text);
}

void FakeFindField::SetVisible(bool visible) {
    record_put("Visible", format_value(visible));
    visible_ = visible;
}

void FakeFindField::Move(float left, float top, float width) {
    record_call("Move", format_value(left) + "," + format_value(top) + "," + format_value(width));
    if (width < 0) fail_invalid_value();
    left_ = left;
    top_ = top;
    width_ = width;
}

float FakeFindField::Height() {
    record_get("Height");
    return kHeight;
}

void FakeFindField::SetStatus(std::u16string_view status, bool found) {
    record_call("SetStatus", format_value(status) + "," + format_value(found));
    status_ = status;
    found_ = found;
}

void FakeFindField::SetFocus() {
    record_call("SetFocus", "");
    env().move_focus(this);
}

// Kept, not logged: what a screen reader announces changes no behaviour.
void FakeFindField::SetAccessibleName(std::u16string_view) {
    if (window_gone()) throw comrt::com_error(E_HANDLE);
}

void FakeFindField::user_type(std::u16string text) {
    text_ = std::move(text);
    if (sink_) raise("Change", [&] { return sink_->Change(); });
}

bool FakeFindField::user_key(std::int16_t key, std::int16_t shift) {
    if (sink_) raise("KeyDown", [&] { return sink_->KeyDown(key, shift); });
    return key != 0;
}

bool FakeFindField::has_focus() const noexcept { return env().focus() == static_cast<const Focusable*>(this); }

}  // namespace orvane::fakes
