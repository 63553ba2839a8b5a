// Arrays of strings (comrt/string_array.h).
#include <comrt/string_array.h>

#include <comrt/oleauto.h>

namespace comrt {

namespace {

template <typename Texts>
SafeArrayPtr MakeFrom(LONG lower, const Texts& texts) {
    SafeArrayPtr array(SafeArrayCreateVector(VT_BSTR, lower, static_cast<ULONG>(texts.size())));
    if (!array) throw com_error(E_OUTOFMEMORY);
    LONG index = lower;
    for (const auto& text : texts) {
        Bstr element{olestring_view(text)};
        check(SafeArrayPutElement(array.get(), &index, element.get()));
        ++index;
    }
    return array;
}

}  // namespace

SafeArrayPtr MakeStringArray(LONG lower, std::span<const olestring_view> texts) { return MakeFrom(lower, texts); }

SafeArrayPtr MakeStringArray(LONG lower, std::initializer_list<olestring_view> texts) {
    return MakeFrom(lower, texts);
}

SafeArrayPtr MakeStringArray(LONG lower, std::span<const olestring> texts) { return MakeFrom(lower, texts); }

std::vector<olestring> ReadStringArray(SAFEARRAY* array) {
    if (!array) throw com_error(E_INVALIDARG);
    VARTYPE type = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(array, &type)) || type != VT_BSTR) throw com_error(DISP_E_TYPEMISMATCH);
    if (SafeArrayGetDim(array) != 1) throw com_error(DISP_E_BADINDEX);
    const ULONG count = array->rgsabound[0].cElements;
    std::vector<olestring> texts;
    texts.reserve(count);
    SafeArrayLockGuard lock(array);
    const BSTR* elements = static_cast<const BSTR*>(array->pvData);
    for (ULONG k = 0; k < count; ++k) texts.emplace_back(Bstr::view_of(elements[k]));
    return texts;
}

}  // namespace comrt
