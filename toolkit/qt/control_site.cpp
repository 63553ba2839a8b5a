// The container of one PropertiesCtl in a Qt window (control_site.h).
#include <toolkit/qt/control_site.h>

#include <comrt/implements.h>
#include <comrt/objbase.h>
#include <toolkit/qt/appearance.h>

namespace orvane::qt {

// The control's error channel: hands each failing handler to the site's failure
// handler, until the site lets go of it.
class ControlSite::ErrorSink final : public comrt::implements<ErrorSink, IControlErrorSink> {
public:
    explicit ErrorSink(FailureHandler failures) : failures_(std::move(failures)) {}

    void disconnect() noexcept { failures_ = nullptr; }

    HRESULT STDMETHODCALLTYPE HandlerFailed(LPCOLESTR handler, HRESULT hr) noexcept override try {
        if (failures_) failures_(QString::fromUtf16(handler ? handler : u""), hr);
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }

private:
    FailureHandler failures_;
};

HRESULT ControlSite::create(QWidget* parent, FailureHandler failures, widgets::PropertyBag* bag,
                            std::unique_ptr<ControlSite>& site) noexcept try {
    site.reset();
    ShareSystemColours();

    comrt::ComPtr<IUnknown> object;
    const HRESULT created =
        CoCreateInstance(CLSID_PropertiesCtl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void());
    if (FAILED(created)) return created;
    const comrt::ComPtr<IControlSite> siting = object.try_as<IControlSite>();
    if (!siting) return E_NOINTERFACE;

    std::unique_ptr<ControlSite> made(new ControlSite());
    made->control_ = object.as<_PropertiesCtl>();
    made->windows_ = QtWindowSystem::forCurrentThread();

    using Layout = DesignTimeLayout;
    made->surface_ = std::make_shared<QtSurface>(made->windows_, parent, Layout::kWidth, Layout::kHeight);
    QWidget* surface = made->surface_->widget();
    surface->setObjectName(QStringLiteral("surface"));
    // Created in stacking order: the editors float over the grid.
    made->selector_ = std::make_shared<QtDropDown>(surface, Layout::kSelectorLeft, Layout::kSelectorTop,
                                                   Layout::kSelectorWidth, true);
    made->selector_->list()->setObjectName(QStringLiteral("selector"));
    made->grid_ = std::make_shared<QtGrid>(made->windows_, surface, Layout::kGridLeft, Layout::kGridTop,
                                           Layout::kGridWidth, Layout::kGridHeight);
    made->grid_->view()->setObjectName(QStringLiteral("grid"));
    made->grid_->SetCols(Layout::kGridCols);
    made->grid_->SetRows(Layout::kGridRows);
    made->text_editor_ = std::make_shared<QtTextBox>(surface, Layout::kTextLeft, Layout::kTextTop, Layout::kTextWidth,
                                                     Layout::kTextHeight, Layout::kText);
    made->text_editor_->editor()->setObjectName(QStringLiteral("textEditor"));
    made->drop_down_editor_ = std::make_shared<QtDropDown>(surface, Layout::kDropDownLeft, Layout::kDropDownTop,
                                                           Layout::kDropDownWidth, false);
    made->drop_down_editor_->list()->setObjectName(QStringLiteral("dropDownEditor"));

    made->errors_ = comrt::make<ErrorSink>(std::move(failures));
    const widgets::WidgetSet widgets{made->surface_,  made->grid_,             made->text_editor_,
                                     made->selector_, made->drop_down_editor_, made->windows_};
    comrt::check(siting->Site(&widgets, made->errors_.get()));

    // Handler failures went to the error channel; the control runs on.
    made->initialized_ = true;
    made->surface_->raiseInitialize();
    if (bag) made->surface_->raiseReadProperties(*bag);
    made->surface_->deliverResize();
    site = std::move(made);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

ControlSite::~ControlSite() {
    terminate();
    if (errors_) errors_->disconnect();
}

HRESULT ControlSite::readProperties(widgets::PropertyBag& bag) noexcept {
    return control_ ? surface_->raiseReadProperties(bag) : E_UNEXPECTED;
}

HRESULT ControlSite::writeProperties(widgets::PropertyBag& bag) noexcept {
    return control_ ? surface_->raiseWriteProperties(bag) : E_UNEXPECTED;
}

HRESULT ControlSite::terminate() noexcept {
    HRESULT hr = S_OK;
    if (initialized_) {
        initialized_ = false;
        hr = surface_->raiseTerminate();
    }
    control_ = nullptr;  // the control disconnects from the widgets as it goes
    return hr;
}

}  // namespace orvane::qt
