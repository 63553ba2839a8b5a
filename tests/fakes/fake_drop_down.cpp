// The recording drop-down list (fake_drop_down.h).
#include <tests/fakes/fake_drop_down.h>

namespace orvane::fakes {
namespace {

// Entries that 16-bit indices 0 to 32767 can name.
constexpr std::size_t kMaxEntries = 32768;

}  // namespace

FakeDropDown::FakeDropDown(std::shared_ptr<FakeEnvironment> env, std::string name)
    : FakeAppearance(std::move(env), std::move(name), 0x80000005, 0x80000008) {}

FakeDropDown::~FakeDropDown() {
    sink_ = nullptr;
    if (has_focus()) env().move_focus(nullptr);
}

void FakeDropDown::SetLeft(float left) {
    record_put("Left", format_value(left));
    left_ = left;
}

void FakeDropDown::SetTop(float top) {
    record_put("Top", format_value(top));
    top_ = top;
}

void FakeDropDown::SetWidth(float width) {
    record_put("Width", format_value(width));
    if (width < 0) fail_invalid_value();
    width_ = width;
}

float FakeDropDown::Height() {
    record_get("Height");
    return height_;
}

void FakeDropDown::SetVisible(bool visible) {
    record_put("Visible", format_value(visible));
    visible_ = visible;
    if (!visible) list_shown_ = false;
}

std::u16string FakeDropDown::Text() {
    record_get("Text");
    return text();
}

std::int16_t FakeDropDown::ListIndex() {
    record_get("ListIndex");
    return list_index_;
}

void FakeDropDown::SetListIndex(std::int16_t index) {
    record_put("ListIndex", format_value(static_cast<long long>(index)));
    if (index < -1 || index >= static_cast<long long>(entries_.size())) fail_invalid_value();
    if (index == list_index_) return;
    list_index_ = index;
    click();
}

void FakeDropDown::Clear() {
    record_call("Clear", "");
    entries_.clear();
    list_index_ = -1;
}

void FakeDropDown::AddItem(std::u16string_view text) {
    record_call("AddItem", format_value(text));
    if (entries_.size() >= kMaxEntries) fail_runtime(comrt::runtime_error::overflow);
    entries_.emplace_back(text);
}

void FakeDropDown::SetFocus() {
    record_call("SetFocus", "");
    env().move_focus(this);
}

void FakeDropDown::ZOrder(std::int16_t position) {
    record_call("ZOrder", format_value(static_cast<long long>(position)));
    if (position != 0 && position != 1) fail_invalid_value();
    z_position_ = position;
}

void FakeDropDown::Refresh() { record_call("Refresh", ""); }

void FakeDropDown::ShowList() {
    record_call("ShowList", "");
    if (visible_) list_shown_ = true;
}

bool FakeDropDown::user_key(std::int16_t key, std::int16_t shift) {
    if (sink_) raise("KeyDown", [&] { return sink_->KeyDown(key, shift); });
    return key != 0;
}

void FakeDropDown::user_pick(std::int16_t index) {
    if (index < 0 || index >= static_cast<long long>(entries_.size())) return;
    list_index_ = index;
    click();
}

std::u16string FakeDropDown::text() const {
    return list_index_ < 0 ? std::u16string() : entries_[static_cast<std::size_t>(list_index_)];
}

bool FakeDropDown::has_focus() const noexcept { return env().focus() == static_cast<const Focusable*>(this); }

void FakeDropDown::click() {
    if (sink_) raise("Click", [&] { return sink_->Click(); });
}

}  // namespace orvane::fakes
