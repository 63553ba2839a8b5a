// The recording container surface and property bag (fake_container.h).
#include <tests/fakes/fake_container.h>

#include <algorithm>

#include <comrt/olectl.h>

namespace orvane::fakes {

// ---- property bag ------------------------------------------------------------------------

FakePropertyBag::FakePropertyBag(std::shared_ptr<FakeEnvironment> env, std::string name)
    : FakeBase(std::move(env), std::move(name)) {}

HRESULT STDMETHODCALLTYPE FakePropertyBag::Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog*) noexcept try {
    if (!pszPropName || !pVar) return E_POINTER;
    const std::u16string_view key(pszPropName);
    record_call("ReadProperty", format_value(key));
    if (const auto damaged = damaged_.find(key); damaged != damaged_.end()) return damaged->second;
    const VARIANT* value = entry(key);
    if (!value) return kDataValueNotFound;
    comrt::Variant copy;
    comrt::check(VariantCopy(copy.get(), value));
    // On entry *pVar only names the type asked for: it holds no value to clear.
    *pVar = copy.detach();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE FakePropertyBag::Write(LPCOLESTR pszPropName, VARIANT* pVar) noexcept try {
    if (!pszPropName || !pVar) return E_POINTER;
    record_call("WriteProperty", format_value(std::u16string_view(pszPropName)));
    store(pszPropName, *pVar);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

void FakePropertyBag::set_entry(std::u16string_view key, const VARIANT& value) { store(key, value); }

void FakePropertyBag::damage(std::u16string_view key, HRESULT hr) { damaged_[std::u16string(key)] = hr; }

std::vector<std::u16string> FakePropertyBag::keys() const {
    std::vector<std::u16string> keys;
    for (const auto& [key, value] : entries_) keys.push_back(key);
    return keys;
}

const VARIANT* FakePropertyBag::entry(std::u16string_view key) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e.first == key; });
    return it == entries_.end() ? nullptr : it->second.get();
}

void FakePropertyBag::store(std::u16string_view key, const VARIANT& value) {
    comrt::Variant copy;
    comrt::check(VariantCopy(copy.get(), &value));
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e.first == key; });
    if (it != entries_.end()) {
        it->second = std::move(copy);
    } else {
        entries_.emplace_back(std::u16string(key), std::move(copy));
    }
    if (const auto damaged = damaged_.find(key); damaged != damaged_.end()) damaged_.erase(damaged);
}

// ---- container surface ---------------------------------------------------------------------

FakeContainer::FakeContainer(std::shared_ptr<FakeEnvironment> env, std::string name)
    : FakeAppearance(std::move(env), std::move(name), 0x8000000F, 0x80000012), window_(this->env().windows().create_window(this->name())) {
    set_window_flag(std::make_shared<bool>(false));
    // A surface starts with a font of its own (the platform's default font object).
    OleCreateFontIndirect(nullptr, comrt::iid_of<IFontDisp>(), font_.put_void());
    this->env().windows().set_handler(window_, [this](UINT msg, WPARAM, LPARAM) { return handle(msg); });
}

FakeContainer::~FakeContainer() {
    // The window outlives the surface in the fake window system; it answers alone now.
    env().windows().set_handler(window_, nullptr);
}

float FakeContainer::ScaleWidth() {
    record_get("ScaleWidth");
    return scale_width_;
}

float FakeContainer::ScaleHeight() {
    record_get("ScaleHeight");
    return scale_height_;
}

OLE_HANDLE FakeContainer::hWnd() {
    record_get("hWnd");
    return widgets::ToHandle(window_);
}

OLE_COLOR FakeContainer::BackColor() {
    record_get("BackColor");
    return back_color_;
}

OLE_COLOR FakeContainer::ForeColor() {
    record_get("ForeColor");
    return fore_color_;
}

widgets::FontRef FakeContainer::Font() {
    record_get("Font");
    return font_;
}

void FakeContainer::ShowMessage(float left, double top, std::int32_t width, std::u16string_view text) {
    record_call("ShowMessage", format_value(left) + "," + format_value(top) + "," +
                                   format_value(static_cast<long long>(width)) + "," + format_value(text));
    if (width < 0) fail_invalid_value();
    message_ = text;
}

void FakeContainer::HideMessage() {
    record_call("HideMessage", "");
    message_.clear();
}

void FakeContainer::Destroy() noexcept { *window_flag() = true; }

void FakeContainer::SetObjectRect(const RECT& position) {
    record_call("SetObjectRect", std::to_string(position.left) + "," + std::to_string(position.top) + "," +
                                     std::to_string(position.right) + "," + std::to_string(position.bottom));
    if (position.right < position.left || position.bottom < position.top) fail_invalid_value();
    const bool same_size = position.right - position.left == object_rect_.right - object_rect_.left &&
                           position.bottom - position.top == object_rect_.bottom - object_rect_.top;
    object_rect_ = position;
    // Resize for a new size, and always the first time.
    if (same_size && placed_) return;
    placed_ = true;
    resize(static_cast<float>(position.right - position.left) * 15, static_cast<float>(position.bottom - position.top) * 15);
}

void FakeContainer::raise_initialize() {
    if (sink_) raise("Initialize", [&] { return sink_->Initialize(); });
}

void FakeContainer::raise_exit_focus() {
    env().move_focus(nullptr);
    if (sink_) raise("ExitFocus", [&] { return sink_->ExitFocus(); });
}

void FakeContainer::raise_terminate() {
    if (sink_) raise("Terminate", [&] { return sink_->Terminate(); });
}

LRESULT FakeContainer::resize(float scale_width, float scale_height) {
    scale_width_ = scale_width;
    scale_height_ = scale_height;
    return env().windows().send_message(window_, WM_SIZE);
}

LRESULT FakeContainer::paint() { return env().windows().send_message(window_, WM_PAINT); }

LRESULT FakeContainer::handle(UINT msg) {
    if (msg == WM_SIZE && sink_) raise("Resize", [&] { return sink_->Resize(); });
    return env().windows().default_result(window_);
}

}  // namespace orvane::fakes
