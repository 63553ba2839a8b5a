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
    comrt::method<&_PropertiesCtl::AddPropertyGroup>(OLESTR("AddPropertyGroup"), 0x60030008, {OLESTR("mPropData")}),
    comrt::method<&_PropertiesCtl::Clear>(OLESTR("Clear"), 0x60030009),
    comrt::method<&_PropertiesCtl::SelectPropertyGroup>(OLESTR("SelectPropertyGroup"), 0x6003000A, {OLESTR("nIndex")}),
    comrt::method<&_PropertiesCtl::ChangeCellText>(OLESTR("ChangeCellText"), 0x60030010),
    comrt::method<&_PropertiesCtl::ComboInit>(OLESTR("ComboInit"), 0x60030011),
    comrt::prop_get<&_PropertiesCtl::get_BackColor>(OLESTR("BackColor"), 0x68030002).result_as(comrt::ole_color),
    comrt::prop_put<&_PropertiesCtl::put_BackColor>(OLESTR("BackColor"), 0x68030002, {{OLESTR("NewColor"), comrt::ole_color}}),
    comrt::prop_putref<&_PropertiesCtl::putref_BackColor>(OLESTR("BackColor"), 0x68030002,
                                                          {{OLESTR("NewColor"), comrt::ole_color}}),
    comrt::prop_get<&_PropertiesCtl::get_ForeColor>(OLESTR("ForeColor"), 0x68030001).result_as(comrt::ole_color),
    comrt::prop_put<&_PropertiesCtl::put_ForeColor>(OLESTR("ForeColor"), 0x68030001, {{OLESTR("NewColor"), comrt::ole_color}}),
    comrt::prop_putref<&_PropertiesCtl::putref_ForeColor>(OLESTR("ForeColor"), 0x68030001,
                                                          {{OLESTR("NewColor"), comrt::ole_color}}),
    comrt::prop_get<&_PropertiesCtl::get_Font>(OLESTR("Font"), 0x68030000),
    comrt::prop_put<&_PropertiesCtl::put_Font>(OLESTR("Font"), 0x68030000, {OLESTR("NewFont")}),
    comrt::prop_putref<&_PropertiesCtl::putref_Font>(OLESTR("Font"), 0x68030000, {OLESTR("NewFont")}),
};

inline constexpr comrt::interface_desc kPropertiesCtlInterface{IID__PropertiesCtl, OLESTR("_PropertiesCtl"),
                                                               comrt::dual_interface, kPropertiesCtlMembers};

inline constexpr comrt::member_desc kPropertiesEditingMembers[] = {
    comrt::method<&IPropertiesEditing::CommitEdit>(OLESTR("CommitEdit"), 0x60040000),
    comrt::method<&IPropertiesEditing::CancelEdit>(OLESTR("CancelEdit"), 0x60040001),
    comrt::prop_get<&IPropertiesEditing::get_EditPending>(OLESTR("EditPending"), 0x68040002).result_as(comrt::vt_bool),
    comrt::method<&IPropertiesEditing::RefreshValues>(OLESTR("RefreshValues"), 0x60040003),
};

inline constexpr comrt::interface_desc kPropertiesEditingInterface{IID_IPropertiesEditing, OLESTR("IPropertiesEditing"),
                                                                   comrt::dual_interface, kPropertiesEditingMembers};

inline constexpr comrt::member_desc kPropertiesFindMembers[] = {
    comrt::method<&IPropertiesFind::OpenFind>(OLESTR("OpenFind"), 0x60050000),
    comrt::method<&IPropertiesFind::CloseFind>(OLESTR("CloseFind"), 0x60050001),
    comrt::method<&IPropertiesFind::FindText>(OLESTR("FindText"), 0x60050002, {OLESTR("text")}),
    comrt::method<&IPropertiesFind::FindNext>(OLESTR("FindNext"), 0x60050003).result_as(comrt::vt_bool),
    comrt::method<&IPropertiesFind::FindPrevious>(OLESTR("FindPrevious"), 0x60050004).result_as(comrt::vt_bool),
};

inline constexpr comrt::interface_desc kPropertiesFindInterface{IID_IPropertiesFind, OLESTR("IPropertiesFind"),
                                                                comrt::dual_interface, kPropertiesFindMembers};

// No events: an empty dispatch interface.
inline constexpr comrt::interface_desc kPropertiesCtlEvents{
    IID___PropertiesCtl, OLESTR("__PropertiesCtl"), TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE, {}, TKIND_DISPATCH};

inline constexpr const comrt::interface_desc* kInterfaces[] = {&kPropertiesCtlInterface, &kPropertiesCtlEvents,
                                                               &kPropertiesEditingInterface, &kPropertiesFindInterface};

// What the control asks of its container (IOleObject::GetMiscStatus), also registered.
inline constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                     OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

inline constexpr comrt::class_desc kClasses[] = {
    comrt::class_desc{CLSID_PropertiesCtl, OLESTR("PropertiesCtl"), TYPEFLAG_FCANCREATE, &kPropertiesCtlInterface,
                      &kPropertiesCtlEvents}
        .as_control(kMiscStatus),
};

inline constexpr comrt::type_library kOrvaneLib{
    LIBID_Orvane, OLESTR("Orvane"), Orvane_MajorVersion, Orvane_MinorVersion, LIBFLAG_FCONTROL, kInterfaces, kClasses};
static_assert(comrt::well_formed(kOrvaneLib));

}  // namespace orvane
