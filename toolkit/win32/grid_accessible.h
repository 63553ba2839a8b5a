// The grid as assistive technology sees it (IAccessible, answered to WM_GETOBJECT for the
// client area): a table whose children are its rows, each row an object of its own whose
// children are its cells (simple elements, child ids 1 to Cols).
//
//   table   name: the grid's accessible name; state: focusable, focused with the grid
//   row     name: the property name (the text of column 0); selected for the current row
//   cell    name: the property name in column 0, the column's name in the others;
//           value: the cell's text; selected (and focused, while the grid has the focus)
//           for the current cell; a cell with a choice mark has a popup and is described
//           as a "drop-down list"
//
// Locations are in screen pixels, rows out of view are offscreen. The objects only read
// the grid when they are called; once the grid lets go of them (its window is destroyed,
// or the adapter goes first) every call fails with CO_E_OBJNOTCONNECTED, and the system's
// stubs release what they held of them.
#pragma once

#include <oleacc.h>

#include <atomic>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/wintypes.h>

namespace orvane::win32 {

class Win32Grid;
class RowAccessible;

// IAccessible's interface id, as the system declares it (the import library of the
// accessibility DLL has a symbol of the same name that is no IID).
inline constexpr IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// IUnknown and IDispatch of the grid's accessible objects (IDispatch without type
// information), and the members the grid supports for none of them.
class AccessibleNode : public IAccessible {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override;

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) noexcept override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) noexcept override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) noexcept override;

    AccessibleNode(const AccessibleNode&) = delete;
    AccessibleNode& operator=(const AccessibleNode&) = delete;

protected:
    AccessibleNode() noexcept;
    virtual ~AccessibleNode();
    // S_OK with the child id child names (CHILDID_SELF or one of the children);
    // CO_E_OBJNOTCONNECTED once the grid is gone, E_INVALIDARG for no child of this object.
    virtual HRESULT check(const VARIANT& child, long& id) const noexcept = 0;
    // check, and the output cleared first.
    HRESULT checkOut(const VARIANT& child, long& id, BSTR* out) const noexcept;
    // A text property no object of the grid has: the checks of checkOut, then
    // DISP_E_MEMBERNOTFOUND.
    HRESULT noText(const VARIANT& child, BSTR* out) const noexcept;

private:
    std::atomic<ULONG> refs_{1};
};

// The table: the grid's client object.
class GridAccessible final : public AccessibleNode {
public:
    explicit GridAccessible(Win32Grid* grid) noexcept : grid_(grid) {}

    // The grid, or null once it let go (disconnect).
    Win32Grid* grid() const noexcept;
    // Lets go of the grid: the table and its rows fail every call from now on, and lose
    // every reference that a client's stub holds. The caller holds a reference across it.
    void disconnect() noexcept;
    // The object of row (0-based), the same one for as long as a client holds it.
    HRESULT row(int row, IDispatch** out) noexcept;
    // The current cell's row object, into out.
    HRESULT currentRow(const Win32Grid& g, VARIANT* out) noexcept;
    void forget(RowAccessible* row) noexcept;

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) noexcept override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) noexcept override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) noexcept override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) noexcept override;

private:
    HRESULT check(const VARIANT& child, long& id) const noexcept override;
    // The row object of child id `id` (1-based), for a member asked of a row through the table.
    comrt::ComPtr<IAccessible> rowOf(long id) noexcept;
    // The system's client object of the window: the parent, and the window's siblings.
    IAccessible* standard() noexcept;

    Win32Grid* grid_;
    std::vector<RowAccessible*> rows_;  // live row objects, which hold the table
    comrt::ComPtr<IAccessible> standard_;
};

}  // namespace orvane::win32
