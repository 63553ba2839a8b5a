// Accessible names as dynamic annotations (accessibility.h).
#include <toolkit/win32/accessibility.h>

#include <oleacc.h>

#include <comrt/com_ptr.h>

namespace orvane::win32 {
namespace {

// The annotation service and the name property, as the system's accessibility library
// declares them.
constexpr CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kDescriptionProperty = {0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};

comrt::ComPtr<IAccPropServices> Service() noexcept {
    comrt::ComPtr<IAccPropServices> service;
    if (FAILED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                service.put_void())))
        return nullptr;
    return service;
}

void Annotate(HWND window, const GUID& property, const std::u16string& text) noexcept {
    if (const auto service = Service())
        service->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property,
                                reinterpret_cast<const wchar_t*>(text.c_str()));
}

}  // namespace

void AnnotateName(HWND window, const std::u16string& name) noexcept { Annotate(window, kNameProperty, name); }

void AnnotateDescription(HWND window, const std::u16string& description) noexcept {
    Annotate(window, kDescriptionProperty, description);
}

void ClearAnnotations(HWND window) noexcept {
    if (const auto service = Service()) {
        MSAAPROPID properties[] = {kNameProperty, kDescriptionProperty};
        service->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, properties, 2);
    }
}

}  // namespace orvane::win32
