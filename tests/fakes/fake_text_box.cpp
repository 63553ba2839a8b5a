// The recording text box (fake_text_box.h).
#include <tests/fakes/fake_text_box.h>

#include <algorithm>

namespace orvane::fakes {

FakeTextBox::FakeTextBox(std::shared_ptr<FakeEnvironment> env, std::string name)
    : FakeAppearance(std::move(env), std::move(name), 0x80000005, 0x80000008) {}

FakeTextBox::~FakeTextBox() {
    // A destroyed text box cannot keep the focus; nothing is raised any more.
    sink_ = nullptr;
    if (has_focus()) env().move_focus(nullptr);
}

std::u16string FakeTextBox::Text() {
    record_get("Text");
    return text_;
}

void FakeTextBox::SetText(std::u16string_view text) {
    record_put("Text", format_value(text));
    text_ = std::u16string(text);
    text_written_ = true;
    sel_start_ = 0;
    sel_length_ = 0;
}

void FakeTextBox::SetVisible(bool visible) {
    record_put("Visible", format_value(visible));
    visible_ = visible;
}

void FakeTextBox::Move(float left, double top, std::int32_t width, std::int32_t height) {
    record_call("Move", format_value(left) + "," + format_value(top) + "," +
                            format_value(static_cast<long long>(width)) + "," +
                            format_value(static_cast<long long>(height)));
    if (width < 0 || height < 0) fail_invalid_value();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void FakeTextBox::SetTabIndex(std::int16_t index) {
    record_put("TabIndex", format_value(static_cast<long long>(index)));
    if (index < 0) fail_invalid_value();
    tab_index_ = index;
}

void FakeTextBox::SetBorderStyle(std::int16_t style) {
    record_put("BorderStyle", format_value(static_cast<long long>(style)));
    if (style != 0 && style != 1) fail_invalid_value();
    border_style_ = style;
}

void FakeTextBox::SetSelStart(std::int32_t start) {
    record_put("SelStart", format_value(static_cast<long long>(start)));
    if (start < 0) fail_invalid_value();
    sel_start_ = std::min(start, length());
    sel_length_ = std::min(sel_length_, length() - sel_start_);
}

void FakeTextBox::SetSelLength(std::int32_t length) {
    record_put("SelLength", format_value(static_cast<long long>(length)));
    if (length < 0) fail_invalid_value();
    sel_length_ = std::min(length, this->length() - sel_start_);
}

void FakeTextBox::SetFocus() {
    record_call("SetFocus", "");
    if (env().move_focus(this) && sink_) raise("GotFocus", [&] { return sink_->GotFocus(); });
}

void FakeTextBox::ZOrder(std::int16_t position) {
    record_call("ZOrder", format_value(static_cast<long long>(position)));
    if (position != 0 && position != 1) fail_invalid_value();
    z_position_ = position;
}

void FakeTextBox::user_type(std::u16string text) {
    text_ = std::move(text);
    text_written_ = true;
    sel_start_ = length();
    sel_length_ = 0;
}

bool FakeTextBox::user_key(std::int16_t key, std::int16_t shift) {
    if (sink_) raise("KeyDown", [&] { return sink_->KeyDown(key, shift); });
    return key != 0;
}

void FakeTextBox::user_leave_focus() {
    if (has_focus()) env().move_focus(nullptr);
}

bool FakeTextBox::has_focus() const noexcept {
    return env().focus() == static_cast<const Focusable*>(this);
}

void FakeTextBox::focus_lost() {
    if (sink_) raise("LostFocus", [&] { return sink_->LostFocus(); });
}

}  // namespace orvane::fakes
