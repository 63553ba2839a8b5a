// Font attributes read from and made into font objects (comrt/font_attributes.h).
#include <comrt/font_attributes.h>

#include <comrt/resource.h>

namespace comrt {

FontAttributes ReadFontAttributes(IUnknown* object) {
    if (!object) throw com_error(E_POINTER);
    ComPtr<IFont> font;
    check(object->QueryInterface(iid_of<IFont>(), font.put_void()));
    Bstr name;
    FontAttributes out;
    BOOL italic = FALSE;
    BOOL underline = FALSE;
    BOOL strikethrough = FALSE;
    check(font->get_Name(name.put()));
    check(font->get_Size(&out.size));
    check(font->get_Weight(&out.weight));
    check(font->get_Charset(&out.charset));
    check(font->get_Italic(&italic));
    check(font->get_Underline(&underline));
    check(font->get_Strikethrough(&strikethrough));
    out.name.assign(name.view());
    out.italic = italic != FALSE;
    out.underline = underline != FALSE;
    out.strikethrough = strikethrough != FALSE;
    return out;
}

ComPtr<IFontDisp> CreateFontObject(const FontAttributes& attributes) {
    Bstr name(attributes.name);
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = name.get();
    desc.cySize = attributes.size;
    desc.sWeight = attributes.weight;
    desc.sCharset = attributes.charset;
    desc.fItalic = attributes.italic ? TRUE : FALSE;
    desc.fUnderline = attributes.underline ? TRUE : FALSE;
    desc.fStrikethrough = attributes.strikethrough ? TRUE : FALSE;
    ComPtr<IFontDisp> object;
    check(OleCreateFontIndirect(&desc, iid_of<IFontDisp>(), object.put_void()));
    return object;
}

}  // namespace comrt
