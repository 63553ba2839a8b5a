// The embeddable widget (orvane/properties_widget.h): a container that meets its control
// through COM only.
#include <orvane/properties_widget.h>

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QResizeEvent>
#include <QTimer>

#include <comrt/colour.h>
#include <comrt/error.h>
#include <comrt/font_attributes.h>
#include <comrt/implements.h>
#include <comrt/objbase.h>
#include <comrt/side_by_side.h>
#include <comrt/typeinfo.h>
#include <comrt/window.h>

#include <orvane/qt_types.h>

#include "property_bag_file.h"

namespace orvane {
namespace {

// The control's design-time size, twips, and the twips of one inch.
constexpr double kDesignWidth = 4800, kDesignHeight = 3975;
constexpr double kTwipsPerInch = 1440;

// Pixels at dots per inch as HIMETRIC (hundredths of a millimetre, 2,540 to the inch).
LONG HimetricOf(int pixels, int dpi) {
    return dpi > 0 ? static_cast<LONG>(std::lround(pixels * 2540.0 / dpi)) : 0;
}

}  // namespace

// The container's site of the control: where it lives (this widget's window and whole
// area), the ambient appearance it lends (what the host set of this widget's font and
// palette), and its error channel and change notifications, passed on as the widget's
// signals while the widget lives.
class PropertiesWidget::Site final
    : public comrt::implements<Site, IOleClientSite, IOleInPlaceSite, IOleControlSite, IDispatch, IControlErrorSink,
                               IItemChangeSink, IItemValidator> {
public:
    explicit Site(PropertiesWidget* widget) : widget_(widget) {}

    // ---- IOleClientSite: nothing to save (the host saves through its bag), no moniker,
    // no container of linked objects.
    HRESULT STDMETHODCALLTYPE SaveObject() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** ppmk) noexcept override {
        if (ppmk) *ppmk = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) noexcept override {
        if (ppContainer) *ppContainer = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept override { return E_NOTIMPL; }

    // ---- IOleInPlaceSite: the control lives over this widget's whole area.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) noexcept override {
        if (!phwnd) return E_POINTER;
        *phwnd = widget_ ? widget_->window_ : nullptr;
        return *phwnd ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() noexcept override { return widget_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept override {
        // A Qt widget has no frame or document window of the platform's kind to offer.
        if (ppFrame) *ppFrame = nullptr;
        if (ppDoc) *ppDoc = nullptr;
        if (!lprcPosRect || !lprcClipRect) return E_POINTER;
        if (!widget_) return E_FAIL;
        *lprcPosRect = *lprcClipRect = widget_->area();
        if (lpFrameInfo) {
            lpFrameInfo->fMDIApp = FALSE;
            lpFrameInfo->hwndFrame = widget_->window_;
            lpFrameInfo->haccel = nullptr;
            lpFrameInfo->cAccelEntries = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) noexcept override {
        // The control's place is this widget's area, whatever it asks for.
        return widget_ ? widget_->placeControl() : S_OK;
    }

    // ---- IOleControlSite: the Qt widgets take their keys and focus themselves.
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** ppDisp) noexcept override {
        if (ppDisp) *ppDisp = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) noexcept override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() noexcept override { return E_NOTIMPL; }

    // ---- IDispatch: the ambient properties, by dispatch id only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) noexcept override {
        if (!pctinfo) return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept override {
        if (ppTInfo) *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*, VARIANT* pVarResult,
                                     EXCEPINFO*, UINT*) noexcept override try {
        if (!widget_ || !(wFlags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (!pVarResult) return E_POINTER;
        return widget_->ambientProperty(dispIdMember, *pVarResult);
    } catch (...) {
        return comrt::to_hresult();
    }

    // The control's members by dispatch id, for the names of changed properties.
    void setTypeInfo(comrt::ComPtr<ITypeInfo> info) noexcept { info_ = std::move(info); }

    HRESULT STDMETHODCALLTYPE HandlerFailed(LPCOLESTR handler, HRESULT hr) noexcept override try {
        const QPointer<PropertiesWidget> widget = widget_;
        if (!widget) return S_OK;
        const QString name = QString::fromUtf16(handler ? handler : u"");
        // Queued: the host's slot never runs inside the control's handler.
        QMetaObject::invokeMethod(
            widget.data(), [widget, name, hr] { if (widget) emit widget->handlerFailed(name, hr); },
            Qt::QueuedConnection);
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }


    HRESULT STDMETHODCALLTYPE ItemValueChanged(_clsTessel* group, LONG index, BSTR oldValue,
                                               BSTR newValue) noexcept override try {
        // A slot may delete the widget, which lets go of this site.
        const comrt::ComPtr<Site> self(this);
        if (!widget_) return S_OK;
        widget_->notifyValueChanged(group, static_cast<int>(index) - 1, ToQString(comrt::Bstr::view_of(oldValue)),
                                    ToQString(comrt::Bstr::view_of(newValue)));
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }

    HRESULT STDMETHODCALLTYPE ValidateItemValue(_clsTessel* group, LONG index, BSTR newValue,
                                                BSTR* message) noexcept override try {
        if (!message) return E_POINTER;
        *message = nullptr;
        // The validator may delete the widget, which lets go of this site.
        const comrt::ComPtr<Site> self(this);
        if (!widget_ || !widget_->validator_) return S_OK;
        const Validator judge = widget_->validator_;  // the validator may replace itself
        const QString refusal = judge(widget_ ? widget_->indexOf(group) : -1, static_cast<int>(index) - 1,
                                      ToQString(comrt::Bstr::view_of(newValue)));
        if (refusal.isEmpty()) return S_OK;
        *message = comrt::Bstr(ToOleString(refusal)).detach();
        return S_FALSE;
    } catch (...) {
        return comrt::to_hresult();
    }

    // The name of a changed property, from the control's members by dispatch id; empty
    // when it has none.
    QString nameOf(DISPID dispID) const {
        comrt::Bstr name;
        UINT count = 0;
        if (!info_ || FAILED(info_->GetNames(dispID, name.put(), 1, &count)) || count == 0) return {};
        return ToQString(name.view());
    }
    QPointer<PropertiesWidget> widget() const { return widget_; }

private:
    QPointer<PropertiesWidget> widget_;
    comrt::ComPtr<ITypeInfo> info_;
};

// Connected to the control's IPropertyNotifySink connection point: the changes of its
// persisted properties, passed on as the widget's signals.
class PropertiesWidget::ChangeSink final : public comrt::implements<ChangeSink, IPropertyNotifySink> {
public:
    explicit ChangeSink(comrt::ComPtr<Site> site) : site_(std::move(site)) {}

    HRESULT STDMETHODCALLTYPE OnChanged(DISPID dispID) noexcept override try {
        const QPointer<PropertiesWidget> widget = site_->widget();
        const QString name = site_->nameOf(dispID);
        if (widget && !name.isEmpty()) widget->notifyAppearanceChanged(name);
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) noexcept override { return S_OK; }

private:
    comrt::ComPtr<Site> site_;
};

PropertiesWidget::PropertiesWidget(QWidget* parent) : QWidget(parent) {
    resize(sizeHint());
    creation_status_ = create();
    // A control that could not be set up completely is not handed out half-made.
    if (FAILED(creation_status_)) {
        releaseControl();
        error_ = ErrorText(creation_status_);
        return;
    }
    // The user's input into the control's widgets may pick another group or start an edit.
    selector_ = findChild<QComboBox*>(QStringLiteral("selector"));
    if (selector_) {
        // A new entry in the selector means a group is shown again (the user's pick, or
        // the control's own when it shows a group).
        connect(selector_, &QComboBox::currentIndexChanged, this, [this] {
            showing_none_ = false;
            syncStateSoon();
        });
    }
    qApp->installEventFilter(this);
}

PropertiesWidget::~PropertiesWidget() {
    qApp->removeEventFilter(this);
    releaseControl();
    if (window_) ComrtDestroyWindowHandle(window_);
}

void PropertiesWidget::releaseControl() noexcept {
    // The control takes its window and widgets away before this widget goes, and lets go
    // of its site.
    if (change_point_) change_point_->Unadvise(change_cookie_);
    change_point_ = nullptr;
    if (control_) {
        if (const auto object = control_.try_as<IOleObject>()) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        control_ = nullptr;
    }
    site_ = nullptr;
}

HRESULT PropertiesWidget::create() noexcept try {
    // As containers embed controls: created for IOleObject, sited, given its extent, then
    // activated in place in this widget's window.
    comrt::ComPtr<IOleObject> object;
    const HRESULT created =
        comrt::create_side_by_side(ORVANE_SERVER_FILE, CLSID_PropertiesCtl, IID_IOleObject, object.put_void());
    if (FAILED(created)) return created;
    const auto persist = object.try_as<IPersistPropertyBag>();
    const auto control = object.try_as<_PropertiesCtl>();
    if (!persist || !control || !object.try_as<IOleInPlaceObject>()) return E_NOINTERFACE;

    comrt::check(ComrtCreateWindowHandle(static_cast<QWidget*>(this), &window_));
    site_ = comrt::make<Site>(this);
    comrt::ComPtr<ITypeInfo> info;
    if (SUCCEEDED(control->GetTypeInfo(0, 0, info.put()))) site_->setTypeInfo(std::move(info));

    comrt::check(object->SetClientSite(site_.get()));
    comrt::check(object->SetHostNames(u"PropertiesWidget", nullptr));
    if (const auto points = object.try_as<IConnectionPointContainer>()) {
        comrt::ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.put()))) {
            const comrt::ComPtr<ChangeSink> sink = comrt::make<ChangeSink>(site_);
            if (SUCCEEDED(point->Advise(static_cast<IPropertyNotifySink*>(sink.get()), &change_cookie_)))
                change_point_ = std::move(point);
        }
    }
    control_ = object;
    comrt::check(persist->InitNew());
    SIZEL extent{HimetricOf(width(), logicalDpiX()), HimetricOf(height(), logicalDpiY())};
    comrt::check(object->SetExtent(DVASPECT_CONTENT, &extent));
    const RECT whole = area();
    comrt::check(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.get(), 0, window_, &whole));
    comrt::check(placeControl());
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

RECT PropertiesWidget::area() const noexcept { return RECT{0, 0, width(), height()}; }

HRESULT PropertiesWidget::placeControl() noexcept {
    const auto in_place = control_ ? control_.try_as<IOleInPlaceObject>() : nullptr;
    if (!in_place) return E_UNEXPECTED;
    const RECT whole = area();
    return in_place->SetObjectRects(&whole, &whole);
}

HRESULT PropertiesWidget::ambientProperty(DISPID id, VARIANT& result) const {
    VariantInit(&result);
    // Only what the host set on this widget: otherwise the control keeps its own look.
    const auto role = [this](QPalette::ColorRole which) {
        return testAttribute(Qt::WA_SetPalette) && palette().isBrushSet(QPalette::Active, which);
    };
    switch (id) {
    case DISPID_AMBIENT_FONT:
        if (!testAttribute(Qt::WA_SetFont)) break;
        result.pdispVal = comrt::CreateFontObject(ToFontAttributes(font())).detach();
        result.vt = VT_DISPATCH;
        return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
    case DISPID_AMBIENT_FORECOLOR: {
        const QPalette::ColorRole which = id == DISPID_AMBIENT_BACKCOLOR ? QPalette::Window : QPalette::WindowText;
        if (!role(which)) break;
        result.vt = VT_UI4;
        result.ulVal = ToColorRef(palette().color(QPalette::Active, which));
        return S_OK;
    }
    default:
        break;
    }
    return DISP_E_MEMBERNOTFOUND;
}

void PropertiesWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    const auto control = control_ ? control_.try_as<IOleControl>() : nullptr;
    if (!control) return;
    if (event->type() == QEvent::FontChange) {
        control->OnAmbientPropertyChange(DISPID_AMBIENT_FONT);
    } else if (event->type() == QEvent::PaletteChange) {
        control->OnAmbientPropertyChange(DISPID_AMBIENT_BACKCOLOR);
        control->OnAmbientPropertyChange(DISPID_AMBIENT_FORECOLOR);
    }
}

void PropertiesWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (control_) placeControl();
}

comrt::ComPtr<_PropertiesCtl> PropertiesWidget::control() const noexcept {
    return control_ ? control_.try_as<_PropertiesCtl>() : nullptr;
}

bool PropertiesWidget::succeeded(HRESULT hr) {
    if (SUCCEEDED(hr)) return true;
    error_ = ErrorText(hr);
    return false;
}

bool PropertiesWidget::saveAppearance(const QString& path) {
    if (!control_) return succeeded(creation_status_);
    const auto persist = control_.try_as<IPersistPropertyBag>();
    const comrt::ComPtr<qt::PropertyBagFile> bag = comrt::make<qt::PropertyBagFile>();
    const HRESULT written = persist->Save(bag.get(), TRUE, TRUE);
    if (FAILED(written)) return succeeded(written);
    return succeeded(bag->save(path));
}

bool PropertiesWidget::loadAppearance(const QString& path) {
    if (!control_) return succeeded(creation_status_);
    const auto persist = control_.try_as<IPersistPropertyBag>();
    const comrt::ComPtr<qt::PropertyBagFile> bag = comrt::make<qt::PropertyBagFile>();
    const HRESULT loaded = bag->load(path);
    if (FAILED(loaded)) return succeeded(loaded);
    return succeeded(persist->Load(bag.get(), nullptr));
}

bool PropertiesWidget::commitEdit() {
    const auto editing = control_ ? control_.try_as<IPropertiesEditing>() : nullptr;
    const bool done = succeeded(editing ? editing->CommitEdit() : creation_status_);
    syncState();
    return done;
}

bool PropertiesWidget::cancelEdit() {
    const auto editing = control_ ? control_.try_as<IPropertiesEditing>() : nullptr;
    const bool done = succeeded(editing ? editing->CancelEdit() : creation_status_);
    syncState();
    return done;
}

bool PropertiesWidget::isEditPending() const {
    const auto editing = control_ ? control_.try_as<IPropertiesEditing>() : nullptr;
    VARIANT_BOOL pending = VARIANT_FALSE;
    return editing && SUCCEEDED(editing->get_EditPending(&pending)) && pending != VARIANT_FALSE;
}

bool PropertiesWidget::refreshValues() {
    const auto editing = control_ ? control_.try_as<IPropertiesEditing>() : nullptr;
    return succeeded(editing ? editing->RefreshValues() : creation_status_);
}

bool PropertiesWidget::openFind() {
    const auto find = control_ ? control_.try_as<IPropertiesFind>() : nullptr;
    return succeeded(find ? find->OpenFind() : creation_status_);
}

bool PropertiesWidget::closeFind() {
    const auto find = control_ ? control_.try_as<IPropertiesFind>() : nullptr;
    return succeeded(find ? find->CloseFind() : creation_status_);
}

int PropertiesWidget::findText(const QString& text) {
    const auto find = control_ ? control_.try_as<IPropertiesFind>() : nullptr;
    LONG hits = 0;
    const bool done = succeeded(find ? find->FindText(comrt::Bstr(ToOleString(text)).get(), &hits) : creation_status_);
    syncState();
    return done ? static_cast<int>(hits) : -1;
}

bool PropertiesWidget::findNext() {
    const auto find = control_ ? control_.try_as<IPropertiesFind>() : nullptr;
    VARIANT_BOOL found = VARIANT_FALSE;
    const bool done = succeeded(find ? find->FindNext(&found) : creation_status_);
    syncState();
    return done && found == VARIANT_TRUE;
}

bool PropertiesWidget::findPrevious() {
    const auto find = control_ ? control_.try_as<IPropertiesFind>() : nullptr;
    VARIANT_BOOL found = VARIANT_FALSE;
    const bool done = succeeded(find ? find->FindPrevious(&found) : creation_status_);
    syncState();
    return done && found == VARIANT_TRUE;
}

bool PropertiesWidget::addGroup(const PropertyGroup& group) {
    const comrt::ComPtr<_PropertiesCtl> properties = control();
    if (!properties) return succeeded(creation_status_);
    comrt::ComPtr<_clsTessel> added = group.comGroup();
    if (!added) return succeeded(comrt::runtime_hresult(comrt::runtime_error::object_not_set));
    _clsTessel* argument = added.get();
    comrt::Variant ignored;
    if (!succeeded(properties->AddPropertyGroup(&argument, ignored.put()))) return false;
    groups_.append(group);
    // Like the first entry of a combo box, the first group is shown at once.
    if (groups_.size() == 1) return setCurrentGroup(0);
    syncState();
    return true;
}

bool PropertiesWidget::clear() {
    const comrt::ComPtr<_PropertiesCtl> properties = control();
    if (!properties) return succeeded(creation_status_);
    // Showing no group first writes a pending edit and empties the grid, which Clear
    // alone leaves showing the group it showed.
    SHORT past_the_last = 32767;
    comrt::Variant ignored;
    const bool cleared = succeeded(properties->SelectPropertyGroup(&past_the_last, ignored.put())) &&
                         succeeded(properties->Clear());
    if (cleared) groups_.clear();
    syncState();
    return cleared;
}

PropertyGroup PropertiesWidget::group(int index) const {
    return index >= 0 && index < groups_.size() ? groups_[index] : PropertyGroup();
}

int PropertiesWidget::currentGroup() const {
    // Showing no group leaves the selector's entry as it was.
    const int shown = selector_ && !showing_none_ ? selector_->currentIndex() : -1;
    return shown >= 0 && shown < groups_.size() ? shown : -1;
}

bool PropertiesWidget::setCurrentGroup(int index) {
    const comrt::ComPtr<_PropertiesCtl> properties = control();
    if (!properties) return succeeded(creation_status_);
    // The control counts groups in 16 bits; past its last group the grid is empty.
    SHORT position = static_cast<SHORT>(std::clamp(index, -1, 32767));
    comrt::Variant ignored;
    const bool shown = succeeded(properties->SelectPropertyGroup(&position, ignored.put()));
    if (shown) showing_none_ = index >= groups_.size();
    syncState();
    return shown;
}

int PropertiesWidget::indexOf(_clsTessel* group) const {
    if (!group) return -1;
    const PropertyGroup changed{comrt::ComPtr<_clsTessel>(group)};
    for (int index = 0; index < groups_.size(); ++index)
        if (groups_[index] == changed) return index;
    return -1;
}

void PropertiesWidget::notifyValueChanged(_clsTessel* group, int row, const QString& oldValue,
                                          const QString& newValue) {
    const QPointer<PropertiesWidget> self(this);
    emit valueChanged(indexOf(group), row, oldValue, newValue);
    // The commit closed the editor; the slot may have taken the widget away.
    if (self) syncStateSoon();
}

void PropertiesWidget::syncStateSoon() {
    if (sync_queued_) return;
    sync_queued_ = true;
    QTimer::singleShot(0, this, [this] {
        sync_queued_ = false;
        syncState();
    });
}

void PropertiesWidget::syncState() {
    const QPointer<PropertiesWidget> self(this);
    const int shown = currentGroup();
    if (shown != signalled_group_) {
        signalled_group_ = shown;
        emit currentGroupChanged(shown);
        if (!self) return;
    }
    const bool pending = isEditPending();
    if (pending != signalled_pending_) {
        signalled_pending_ = pending;
        emit editPendingChanged(pending);
    }
}

bool PropertiesWidget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::InputMethod:
        if (const auto* widget = qobject_cast<QWidget*>(watched); widget && isAncestorOf(widget)) syncStateSoon();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QFont PropertiesWidget::controlFont() const try {
    const comrt::ComPtr<_PropertiesCtl> properties = control();
    comrt::ComPtr<IFontDisp> font;
    if (!properties || FAILED(properties->get_Font(font.put())) || !font) return {};
    return ToQFont(comrt::ReadFontAttributes(font.get()));
} catch (...) {
    return {};
}

bool PropertiesWidget::setControlFont(const QFont& font) {
    const comrt::ComPtr<_PropertiesCtl> properties = control();
    if (!properties) return succeeded(creation_status_);
    HRESULT hr = S_OK;
    try {
        hr = properties->putref_Font(comrt::CreateFontObject(ToFontAttributes(font)).get());
    } catch (...) {
        hr = comrt::to_hresult();
    }
    return succeeded(hr);
}

QColor PropertiesWidget::colour(HRESULT (STDMETHODCALLTYPE _PropertiesCtl::*get)(OLE_COLOR*)) const {
    const comrt::ComPtr<_PropertiesCtl> properties = control();
    OLE_COLOR colour = 0;
    if (!properties || FAILED((properties.get()->*get)(&colour))) return {};
    // A system colour as the control shows it: from the palette of this widget.
    return ToQColor(colour, QApplication::palette(this));
}

QColor PropertiesWidget::backColor() const { return colour(&_PropertiesCtl::get_BackColor); }

QColor PropertiesWidget::foreColor() const { return colour(&_PropertiesCtl::get_ForeColor); }

bool PropertiesWidget::setBackColor(const QColor& colour) {
    const comrt::ComPtr<_PropertiesCtl> properties = control();
    return succeeded(properties ? properties->put_BackColor(ToColorRef(colour)) : creation_status_);
}

bool PropertiesWidget::setForeColor(const QColor& colour) {
    const comrt::ComPtr<_PropertiesCtl> properties = control();
    return succeeded(properties ? properties->put_ForeColor(ToColorRef(colour)) : creation_status_);
}

void PropertiesWidget::notifyAppearanceChanged(const QString& property) {
    emit appearanceChanged(property);
    if (property == u"Font")
        emit controlFontChanged(controlFont());
    else if (property == u"BackColor")
        emit backColorChanged(backColor());
    else if (property == u"ForeColor")
        emit foreColorChanged(foreColor());
}

QSize PropertiesWidget::sizeHint() const {
    return {qRound(kDesignWidth * logicalDpiX() / kTwipsPerInch), qRound(kDesignHeight * logicalDpiY() / kTwipsPerInch)};
}

}  // namespace orvane
