// The Orvane type library as compile-time data: library id and version, the control
// class, its dual default interface with the members in slot order, dispatch ids and
// parameter names, and its event interface. IDispatch, the library's ITypeLib and
// registration are all generated from it. AddPropertyGroup's parameter refers to
// _clsTessel, which Tessel's own type library describes.
#pragma once

#include <comrt/typedesc.h>
#include <orvane/orvane.h>

namespace orvane {

inline constexpr comrt::member_desc kPropertiesCtlMembers[] = {
    comrt::method<&_PropertiesCtl::AddPropertyGroup>(u"AddPropertyGroup", 0x60030008, {u"mPropData"}),
    comrt::method<&_PropertiesCtl::Clear>(u"Clear", 0x60030009),
    comrt::method<&_PropertiesCtl::SelectPropertyGroup>(u"SelectPropertyGroup", 0x6003000A, {u"nIndex"}),
    comrt::method<&_PropertiesCtl::ChangeCellText>(u"ChangeCellText", 0x60030010),
    comrt::method<&_PropertiesCtl::ComboInit>(u"ComboInit", 0x60030011),
    comrt::prop_get<&_PropertiesCtl::get_BackColor>(u"BackColor", 0x68030002).result_as(comrt::ole_color),
    comrt::prop_put<&_PropertiesCtl::put_BackColor>(u"BackColor", 0x68030002, {{u"NewColor", comrt::ole_color}}),
    comrt::prop_putref<&_PropertiesCtl::putref_BackColor>(u"BackColor", 0x68030002,
                                                          {{u"NewColor", comrt::ole_color}}),
    comrt::prop_get<&_PropertiesCtl::get_ForeColor>(u"ForeColor", 0x68030001).result_as(comrt::ole_color),
    comrt::prop_put<&_PropertiesCtl::put_ForeColor>(u"ForeColor", 0x68030001, {{u"NewColor", comrt::ole_color}}),
    comrt::prop_putref<&_PropertiesCtl::putref_ForeColor>(u"ForeColor", 0x68030001,
                                                          {{u"NewColor", comrt::ole_color}}),
    comrt::prop_get<&_PropertiesCtl::get_Font>(u"Font", 0x68030000),
    comrt::prop_put<&_PropertiesCtl::put_Font>(u"Font", 0x68030000, {u"NewFont"}),
    comrt::prop_putref<&_PropertiesCtl::putref_Font>(u"Font", 0x68030000, {u"NewFont"}),
};

inline constexpr comrt::interface_desc kPropertiesCtlInterface{IID__PropertiesCtl, u"_PropertiesCtl",
                                                               comrt::dual_interface, kPropertiesCtlMembers};

inline constexpr comrt::member_desc kPropertiesEditingMembers[] = {
    comrt::method<&IPropertiesEditing::CommitEdit>(u"CommitEdit", 0x60040000),
    comrt::method<&IPropertiesEditing::CancelEdit>(u"CancelEdit", 0x60040001),
    comrt::prop_get<&IPropertiesEditing::get_EditPending>(u"EditPending", 0x68040002).result_as(comrt::vt_bool),
    comrt::method<&IPropertiesEditing::RefreshValues>(u"RefreshValues", 0x60040003),
};

inline constexpr comrt::interface_desc kPropertiesEditingInterface{IID_IPropertiesEditing, u"IPropertiesEditing",
                                                                   comrt::dual_interface, kPropertiesEditingMembers};

inline constexpr comrt::member_desc kPropertiesFindMembers[] = {
    comrt::method<&IPropertiesFind::OpenFind>(u"OpenFind", 0x60050000),
    comrt::method<&IPropertiesFind::CloseFind>(u"CloseFind", 0x60050001),
    comrt::method<&IPropertiesFind::FindText>(u"FindText", 0x60050002, {u"text"}),
    comrt::method<&IPropertiesFind::FindNext>(u"FindNext", 0x60050003).result_as(comrt::vt_bool),
    comrt::method<&IPropertiesFind::FindPrevious>(u"FindPrevious", 0x60050004).result_as(comrt::vt_bool),
};

inline constexpr comrt::interface_desc kPropertiesFindInterface{IID_IPropertiesFind, u"IPropertiesFind",
                                                                comrt::dual_interface, kPropertiesFindMembers};

// No events: an empty dispatch interface.
inline constexpr comrt::interface_desc kPropertiesCtlEvents{
    IID___PropertiesCtl, u"__PropertiesCtl", TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE, {}, TKIND_DISPATCH};

inline constexpr const comrt::interface_desc* kInterfaces[] = {&kPropertiesCtlInterface, &kPropertiesCtlEvents,
                                                               &kPropertiesEditingInterface, &kPropertiesFindInterface};

inline constexpr comrt::class_desc kClasses[] = {
    {CLSID_PropertiesCtl, u"PropertiesCtl", TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, &kPropertiesCtlInterface,
     &kPropertiesCtlEvents},
};

inline constexpr comrt::type_library kOrvaneLib{
    LIBID_Orvane, u"Orvane", Orvane_MajorVersion, Orvane_MinorVersion, LIBFLAG_FCONTROL, kInterfaces, kClasses};
static_assert(comrt::well_formed(kOrvaneLib));

}  // namespace orvane
