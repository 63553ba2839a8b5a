// The grid's accessible objects (grid_accessible.h).
#include <toolkit/win32/grid_accessible.h>

#include <algorithm>
#include <new>

#include <comrt/module.h>
#include <toolkit/win32/win32_grid.h>

namespace orvane::win32 {
namespace {

void SetEmpty(VARIANT* out) noexcept {
    VariantInit(out);
    out->vt = VT_EMPTY;
}

void SetId(VARIANT* out, long id) noexcept {
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = id;
}

// Takes over object's reference.
void SetObject(VARIANT* out, IDispatch* object) noexcept {
    VariantInit(out);
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
}

HRESULT Text(const std::u16string& text, BSTR* out) noexcept {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// A name, or S_FALSE without one when it is empty.
HRESULT Name(const std::u16string& text, BSTR* out) noexcept { return text.empty() ? S_FALSE : Text(text, out); }

// The child id a VARIANT holds: VT_I4, or VT_I4 by reference; -1 for anything else.
long ChildId(const VARIANT& child) noexcept {
    if (child.vt == VT_I4) return child.lVal;
    if (child.vt == (VT_I4 | VT_BYREF) && child.plVal) return *child.plVal;
    return -1;
}

bool HasFocus(const Win32Grid& grid) noexcept { return GetFocus() == grid.window(); }

// A rectangle of the grid's client area in screen coordinates.
HRESULT Locate(const Win32Grid& grid, RECT rect, long* left, long* top, long* width, long* height) noexcept {
    if (!left || !top || !width || !height) return E_POINTER;
    POINT corner{rect.left, rect.top};
    ClientToScreen(grid.window(), &corner);
    *left = corner.x;
    *top = corner.y;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

RECT ClientRect(const Win32Grid& grid) noexcept {
    RECT client{};
    GetClientRect(grid.window(), &client);
    return client;
}

// The whole row's rectangle in the client area, as painted.
RECT RowRect(const Win32Grid& grid, int row) noexcept {
    RECT rect = grid.cellRect(row, 0);
    rect.left = 0;
    rect.right = ClientRect(grid).right;
    return rect;
}

bool InView(const Win32Grid& grid, int row) noexcept {
    return row >= grid.topRow() && grid.cellRect(row, 0).top < ClientRect(grid).bottom;
}

// A point of the screen in the grid's client area; false outside it.
bool ClientPoint(const Win32Grid& grid, long x, long y, POINT& at) noexcept {
    at = POINT{x, y};
    ScreenToClient(grid.window(), &at);
    const RECT client = ClientRect(grid);
    return PtInRect(&client, at) != FALSE;
}

}  // namespace

// ---- what every object shares ------------------------------------------------------------------

AccessibleNode::AccessibleNode() noexcept { comrt::module::lock(); }
AccessibleNode::~AccessibleNode() { comrt::module::unlock(); }

HRESULT AccessibleNode::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != kIAccessible) return E_NOINTERFACE;
    *ppv = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
}

ULONG AccessibleNode::AddRef() noexcept { return refs_.fetch_add(1) + 1; }

ULONG AccessibleNode::Release() noexcept {
    const ULONG remaining = refs_.fetch_sub(1) - 1;
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT AccessibleNode::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT AccessibleNode::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT AccessibleNode::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept { return E_NOTIMPL; }

HRESULT AccessibleNode::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept {
    return E_NOTIMPL;
}

HRESULT AccessibleNode::checkOut(const VARIANT& child, long& id, BSTR* out) const noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return check(child, id);
}

HRESULT AccessibleNode::noText(const VARIANT& child, BSTR* out) const noexcept {
    long id = 0;
    const HRESULT hr = checkOut(child, id, out);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}

// The properties and actions no object of the grid has: after the checks of the child,
// DISP_E_MEMBERNOTFOUND, and E_NOTIMPL for the obsolete put_accName.
HRESULT AccessibleNode::get_accDescription(VARIANT child, BSTR* description) noexcept {
    return noText(child, description);
}

HRESULT AccessibleNode::get_accHelp(VARIANT child, BSTR* help) noexcept {
    return noText(child, help);
}

HRESULT AccessibleNode::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) noexcept {
    if (!topic) return E_POINTER;
    *topic = 0;
    return noText(child, file);
}

HRESULT AccessibleNode::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept {
    return noText(child, shortcut);
}

HRESULT AccessibleNode::get_accDefaultAction(VARIANT child, BSTR* action) noexcept {
    return noText(child, action);
}

HRESULT AccessibleNode::accDoDefaultAction(VARIANT child) noexcept {
    long id = 0;
    const HRESULT hr = check(child, id);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleNode::put_accName(VARIANT, BSTR) noexcept { return E_NOTIMPL; }

HRESULT AccessibleNode::put_accValue(VARIANT child, BSTR) noexcept {
    long id = 0;
    const HRESULT hr = check(child, id);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}

// ---- a row -----------------------------------------------------------------------------------

class RowAccessible final : public AccessibleNode {
public:
    RowAccessible(GridAccessible* table, int row) noexcept : table_(comrt::ComPtr<GridAccessible>(table)), row_(row) {}
    ~RowAccessible() override { table_->forget(this); }

    int index() const noexcept { return row_; }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        long id = 0;
        if (const HRESULT hr = check(self(), id); FAILED(hr)) return hr;
        return table_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) noexcept override {
        if (!count) return E_POINTER;
        *count = 0;
        long id = 0;
        if (const HRESULT hr = check(self(), id); FAILED(hr)) return hr;
        *count = grid().cells().cols();
        return S_OK;
    }

    // The cells are simple elements: no objects of their own.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        long id = 0;
        if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
        return id == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override {
        long id = 0;
        if (const HRESULT hr = checkOut(child, id, name); FAILED(hr)) return hr;
        const Win32Grid& g = grid();
        if (id == CHILDID_SELF || id == 1) return Name(g.cells().cols() > 0 ? g.cells().at(row_, 0).text : u"", name);
        return Name(g.columnName(id - 1), name);
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override {
        long id = 0;
        if (const HRESULT hr = checkOut(child, id, value); FAILED(hr)) return hr;
        if (id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
        return Text(grid().cells().at(row_, id - 1).text, value);
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) noexcept override {
        long id = 0;
        if (const HRESULT hr = checkOut(child, id, description); FAILED(hr)) return hr;
        if (id == CHILDID_SELF || !grid().cellChoice(row_, id - 1)) return DISP_E_MEMBERNOTFOUND;
        return Text(u"drop-down list", description);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override {
        if (!role) return E_POINTER;
        SetEmpty(role);
        long id = 0;
        if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
        SetId(role, id == CHILDID_SELF ? ROLE_SYSTEM_ROW : ROLE_SYSTEM_CELL);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override {
        if (!state) return E_POINTER;
        SetEmpty(state);
        long id = 0;
        if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
        const Win32Grid& g = grid();
        long bits = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
        if (!InView(g, row_)) bits |= STATE_SYSTEM_OFFSCREEN;
        const bool current_row = row_ == g.currentRow();
        if (id == CHILDID_SELF) {
            if (current_row) bits |= STATE_SYSTEM_SELECTED;
        } else {
            if (current_row && id - 1 == g.currentCol()) {
                bits |= STATE_SYSTEM_SELECTED;
                if (HasFocus(g)) bits |= STATE_SYSTEM_FOCUSED;
            }
            if (g.cellChoice(row_, id - 1)) bits |= STATE_SYSTEM_HASPOPUP;
        }
        SetId(state, bits);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) noexcept override {
        if (!focus) return E_POINTER;
        SetEmpty(focus);
        long id = 0;
        if (const HRESULT hr = check(self(), id); FAILED(hr)) return hr;
        if (HasFocus(grid())) currentCell(focus);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) noexcept override {
        if (!selection) return E_POINTER;
        SetEmpty(selection);
        long id = 0;
        if (const HRESULT hr = check(self(), id); FAILED(hr)) return hr;
        currentCell(selection);
        return S_OK;
    }

    // Focus and selection are the current cell's: both move it here, to the row's current
    // column for the row itself. Neither adds to nor takes from a selection.
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) noexcept override {
        long id = 0;
        if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
        if (flags == SELFLAG_NONE || (flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) != 0) return E_INVALIDARG;
        Win32Grid& g = grid();
        try {
            g.selectCell(row_, id == CHILDID_SELF ? g.currentCol() : id - 1, (flags & SELFLAG_TAKEFOCUS) != 0);
        } catch (...) {
            return E_FAIL;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) noexcept override {
        long id = 0;
        if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
        const Win32Grid& g = grid();
        return Locate(g, id == CHILDID_SELF ? RowRect(g, row_) : g.cellRect(row_, id - 1), left, top, width, height);
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) noexcept override {
        if (!end) return E_POINTER;
        SetEmpty(end);
        long id = 0;
        if (const HRESULT hr = check(start, id); FAILED(hr)) return hr;
        const int cols = grid().cells().cols();
        long to = 0;  // a cell's child id; 0 for none
        if (id == CHILDID_SELF) {
            switch (direction) {
            case NAVDIR_FIRSTCHILD: to = cols > 0 ? 1 : 0; break;
            case NAVDIR_LASTCHILD: to = cols; break;
            case NAVDIR_NEXT:
            case NAVDIR_DOWN:
            case NAVDIR_PREVIOUS:
            case NAVDIR_UP: {
                const int row = direction == NAVDIR_NEXT || direction == NAVDIR_DOWN ? row_ + 1 : row_ - 1;
                if (row < 0 || row >= grid().cells().rows()) return S_FALSE;
                IDispatch* sibling = nullptr;
                if (const HRESULT hr = table_->row(row, &sibling); FAILED(hr)) return hr;
                SetObject(end, sibling);
                return S_OK;
            }
            case NAVDIR_LEFT:
            case NAVDIR_RIGHT: return S_FALSE;
            default: return E_INVALIDARG;
            }
        } else {
            switch (direction) {
            case NAVDIR_NEXT:
            case NAVDIR_RIGHT: to = id < cols ? id + 1 : 0; break;
            case NAVDIR_PREVIOUS:
            case NAVDIR_LEFT: to = id - 1; break;
            case NAVDIR_UP:
            case NAVDIR_DOWN: return S_FALSE;  // a cell of another row object
            default: return E_INVALIDARG;
            }
        }
        if (to <= 0) return S_FALSE;
        SetId(end, to);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) noexcept override {
        if (!child) return E_POINTER;
        SetEmpty(child);
        long id = 0;
        if (const HRESULT hr = check(self(), id); FAILED(hr)) return hr;
        const Win32Grid& g = grid();
        POINT at{};
        const RECT row = RowRect(g, row_);
        if (!ClientPoint(g, x, y, at) || !PtInRect(&row, at)) return S_FALSE;
        int hit_row = 0, hit_col = 0;
        SetId(child, g.cellAt(at, hit_row, hit_col) && hit_row == row_ ? hit_col + 1 : CHILDID_SELF);
        return S_OK;
    }

private:
    static VARIANT self() noexcept {
        VARIANT id;
        SetId(&id, CHILDID_SELF);
        return id;
    }

    Win32Grid& grid() const noexcept { return *table_->grid(); }

    // The row's current cell as a child id; empty on any other row.
    void currentCell(VARIANT* out) const noexcept {
        const Win32Grid& g = grid();
        if (row_ == g.currentRow() && g.cells().holds(row_, g.currentCol())) SetId(out, g.currentCol() + 1);
    }

    // A row that the grid no longer has is as gone as the grid.
    HRESULT check(const VARIANT& child, long& id) const noexcept override {
        const Win32Grid* g = table_->grid();
        if (!g || row_ >= g->cells().rows()) return CO_E_OBJNOTCONNECTED;
        id = ChildId(child);
        return id >= 0 && id <= g->cells().cols() ? S_OK : E_INVALIDARG;
    }

    comrt::ComPtr<GridAccessible> table_;
    int row_;
};

// ---- the table ---------------------------------------------------------------------------------

Win32Grid* GridAccessible::grid() const noexcept { return grid_ && !grid_->gone() ? grid_ : nullptr; }

void GridAccessible::disconnect() noexcept {
    grid_ = nullptr;
    standard_ = nullptr;
    // A row that a client's stub releases goes from rows_ meanwhile.
    std::vector<comrt::ComPtr<RowAccessible>> rows;
    try {
        for (RowAccessible* row : rows_) rows.push_back(comrt::ComPtr<RowAccessible>(row));
    } catch (const std::bad_alloc&) {
        rows.clear();
    }
    for (const auto& row : rows) CoDisconnectObject(static_cast<IAccessible*>(row.get()), 0);
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

HRESULT GridAccessible::row(int row, IDispatch** out) noexcept {
    *out = nullptr;
    for (RowAccessible* live : rows_)
        if (live->index() == row) return live->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
    try {
        rows_.reserve(rows_.size() + 1);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    auto* made = new (std::nothrow) RowAccessible(this, row);
    if (!made) return E_OUTOFMEMORY;
    rows_.push_back(made);
    *out = made;
    return S_OK;
}

void GridAccessible::forget(RowAccessible* row) noexcept { std::erase(rows_, row); }

comrt::ComPtr<IAccessible> GridAccessible::rowOf(long id) noexcept {
    comrt::ComPtr<IAccessible> out;
    IDispatch* object = nullptr;
    if (SUCCEEDED(row(static_cast<int>(id - 1), &object))) {
        object->QueryInterface(kIAccessible, out.put_void());
        object->Release();
    }
    return out;
}

IAccessible* GridAccessible::standard() noexcept {
    if (!standard_ && grid_)
        CreateStdAccessibleObject(grid_->window(), OBJID_CLIENT, kIAccessible, standard_.put_void());
    return standard_.get();
}

HRESULT GridAccessible::check(const VARIANT& child, long& id) const noexcept {
    const Win32Grid* g = grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    id = ChildId(child);
    return id >= 0 && id <= g->cells().rows() ? S_OK : E_INVALIDARG;
}

// A member asked of a row through the table answers as the row's object does.
#define PG_ASK_ROW(id, call)                                        \
    do {                                                            \
        if ((id) != CHILDID_SELF) {                                 \
            const comrt::ComPtr<IAccessible> row_object = rowOf(id); \
            if (!row_object) return E_OUTOFMEMORY;                  \
            VARIANT self;                                           \
            SetId(&self, CHILDID_SELF);                             \
            return row_object->call;                                \
        }                                                           \
    } while (false)

HRESULT GridAccessible::get_accParent(IDispatch** parent) noexcept {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!grid()) return CO_E_OBJNOTCONNECTED;
    IAccessible* system = standard();
    return system ? system->get_accParent(parent) : S_FALSE;
}

HRESULT GridAccessible::get_accChildCount(long* count) noexcept {
    if (!count) return E_POINTER;
    *count = 0;
    const Win32Grid* g = grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    *count = g->cells().rows();
    return S_OK;
}

HRESULT GridAccessible::get_accChild(VARIANT child, IDispatch** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    long id = 0;
    if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
    if (id == CHILDID_SELF) return E_INVALIDARG;
    return row(static_cast<int>(id - 1), out);
}

HRESULT GridAccessible::get_accName(VARIANT child, BSTR* name) noexcept {
    long id = 0;
    if (const HRESULT hr = checkOut(child, id, name); FAILED(hr)) return hr;
    PG_ASK_ROW(id, get_accName(self, name));
    return Name(grid()->accessibleName(), name);
}

HRESULT GridAccessible::get_accValue(VARIANT child, BSTR* value) noexcept {
    long id = 0;
    if (const HRESULT hr = checkOut(child, id, value); FAILED(hr)) return hr;
    PG_ASK_ROW(id, get_accValue(self, value));
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT GridAccessible::get_accRole(VARIANT child, VARIANT* role) noexcept {
    if (!role) return E_POINTER;
    SetEmpty(role);
    long id = 0;
    if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
    PG_ASK_ROW(id, get_accRole(self, role));
    SetId(role, ROLE_SYSTEM_TABLE);
    return S_OK;
}

HRESULT GridAccessible::get_accState(VARIANT child, VARIANT* state) noexcept {
    if (!state) return E_POINTER;
    SetEmpty(state);
    long id = 0;
    if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
    PG_ASK_ROW(id, get_accState(self, state));
    const HWND window = grid()->window();
    long bits = STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == window) bits |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(window)) bits |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(window)) bits |= STATE_SYSTEM_UNAVAILABLE;
    SetId(state, bits);
    return S_OK;
}

// The focus, while the grid has it, is on the current cell: the table names its row.
HRESULT GridAccessible::get_accFocus(VARIANT* focus) noexcept {
    if (!focus) return E_POINTER;
    SetEmpty(focus);
    const Win32Grid* g = grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (!HasFocus(*g)) return S_OK;
    if (!g->cells().holds(g->currentRow(), g->currentCol())) {
        SetId(focus, CHILDID_SELF);
        return S_OK;
    }
    return currentRow(*g, focus);
}

HRESULT GridAccessible::get_accSelection(VARIANT* selection) noexcept {
    if (!selection) return E_POINTER;
    SetEmpty(selection);
    const Win32Grid* g = grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (!g->cells().holds(g->currentRow(), g->currentCol())) return S_OK;
    return currentRow(*g, selection);
}

HRESULT GridAccessible::currentRow(const Win32Grid& g, VARIANT* out) noexcept {
    IDispatch* current = nullptr;
    if (const HRESULT hr = row(g.currentRow(), &current); FAILED(hr)) return hr;
    SetObject(out, current);
    return S_OK;
}

HRESULT GridAccessible::accSelect(long flags, VARIANT child) noexcept {
    long id = 0;
    if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
    PG_ASK_ROW(id, accSelect(flags, self));
    if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
    SetFocus(grid()->window());
    return S_OK;
}

HRESULT GridAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) noexcept {
    long id = 0;
    if (const HRESULT hr = check(child, id); FAILED(hr)) return hr;
    PG_ASK_ROW(id, accLocation(left, top, width, height, self));
    const Win32Grid& g = *grid();
    return Locate(g, ClientRect(g), left, top, width, height);
}

// The rows are the table's children and one another's siblings; the table's own siblings
// are the window's, as the system's client object finds them.
HRESULT GridAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) noexcept {
    if (!end) return E_POINTER;
    SetEmpty(end);
    long id = 0;
    if (const HRESULT hr = check(start, id); FAILED(hr)) return hr;
    if (id != CHILDID_SELF) {
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) return E_INVALIDARG;
        PG_ASK_ROW(id, accNavigate(direction, self, end));
    }
    const int rows = grid()->cells().rows();
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        if (rows == 0) return S_FALSE;
        IDispatch* child = nullptr;
        if (const HRESULT hr = row(direction == NAVDIR_FIRSTCHILD ? 0 : rows - 1, &child); FAILED(hr)) return hr;
        SetObject(end, child);
        return S_OK;
    }
    IAccessible* system = standard();
    return system ? system->accNavigate(direction, start, end) : S_FALSE;
}

HRESULT GridAccessible::accHitTest(long x, long y, VARIANT* child) noexcept {
    if (!child) return E_POINTER;
    SetEmpty(child);
    const Win32Grid* g = grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    POINT at{};
    if (!ClientPoint(*g, x, y, at)) return S_FALSE;
    int hit_row = 0, hit_col = 0;
    if (!g->cellAt(at, hit_row, hit_col)) {
        SetId(child, CHILDID_SELF);
        return S_OK;
    }
    IDispatch* object = nullptr;
    if (const HRESULT hr = row(hit_row, &object); FAILED(hr)) return hr;
    SetObject(child, object);
    return S_OK;
}

#undef PG_ASK_ROW

}  // namespace orvane::win32
