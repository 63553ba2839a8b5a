// The adapters over the system's own controls (child_control.h).
#include <toolkit/win32/child_control.h>

#include <commctrl.h>

#include <toolkit/win32/accessibility.h>
#include <toolkit/win32/errors.h>
#include <toolkit/win32/module.h>

namespace orvane::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x4F52;  // one subclass of ours per window
constexpr const wchar_t* kAdapterProperty = L"Orvane.Adapter";

}  // namespace

ChildControl::ChildControl(FamilyRef family, const wchar_t* window_class, DWORD style, HWND parent, OLE_COLOR back,
                           OLE_COLOR fore)
    : family_(std::move(family)), colours_(back, fore) {
    window_ = CreateWindowExW(0, window_class, L"", WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, parent, nullptr,
                              ModuleInstance(), nullptr);
    if (!window_) throw comrt::com_error(HRESULT_FROM_WIN32(GetLastError()));
    SetPropW(window_, kAdapterProperty, this);
    if (!SetWindowSubclass(window_, &Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(std::exchange(window_, nullptr));
        throw comrt::com_error(E_OUTOFMEMORY);
    }
    font_ = DesignTimeFont();
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font_.get())), FALSE);
}

ChildControl::~ChildControl() {
    if (window_) detach();
}

void ChildControl::detach() noexcept {
    if (annotated_) ClearAnnotations(window_);
    RemoveWindowSubclass(window_, &Subclass, kSubclassId);
    RemovePropW(window_, kAdapterProperty);
    window_ = nullptr;
}

ChildControl* ChildControl::From(HWND window) noexcept {
    return window ? static_cast<ChildControl*>(GetPropW(window, kAdapterProperty)) : nullptr;
}

HWND ChildControl::live() const {
    if (!window_ || family_->gone) FailGone();
    return window_;
}

RECT ChildControl::placement() const {
    const HWND window = live();
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LRESULT ChildControl::message(UINT msg, WPARAM wParam, LPARAM lParam) { return Default(msg, wParam, lParam); }

LRESULT ChildControl::Default(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    return DefSubclassProc(window_, msg, wParam, lParam);
}

LRESULT CALLBACK ChildControl::Subclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    auto* self = reinterpret_cast<ChildControl*>(data);
    if (msg == WM_NCDESTROY) {
        self->detach();
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    // An event may let go of the adapter: it stays until the message is handled.
    const auto keep = self->weak_from_this().lock();
    const FamilyRef family = self->family_;
    LRESULT result = 0;
    try {
        result = self->message(msg, wParam, lParam);
    } catch (...) {
        result = DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_KILLFOCUS) family->focusLeaving(reinterpret_cast<HWND>(wParam));
    return result;
}

void ChildControl::setColours(OLE_COLOR back, OLE_COLOR fore) {
    colours_.setBack(back);
    colours_.setFore(fore);
}

void ChildControl::setBack(OLE_COLOR colour) {
    const HWND window = live();
    colours_.setBack(colour);
    InvalidateRect(window, nullptr, TRUE);
}

void ChildControl::setFore(OLE_COLOR colour) {
    const HWND window = live();
    colours_.setFore(colour);
    InvalidateRect(window, nullptr, TRUE);
}

void ChildControl::setFont(const widgets::FontRef& font) {
    const HWND window = live();
    const HFONT handle = FontHandle(font.get());
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    font_ = font;
}

void ChildControl::setAccessibleName(std::u16string_view name) {
    const HWND window = live();
    accessible_name_.assign(name);
    AnnotateName(window, accessible_name_);
    annotated_ = true;
}

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace orvane::win32
