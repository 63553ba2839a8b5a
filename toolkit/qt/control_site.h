// The container of one PropertiesCtl in a Qt window: it creates the control through its
// class factory, builds the child widgets on a surface at the design-time layout, sites
// the control on them and raises the container events.
//
// Life of a site:
//   create     the control (CoCreateInstance of CLSID_PropertiesCtl, from the registered
//              library), the surface and its widgets, Site, then Initialize,
//              ReadProperties (when a bag is given) and the first Resize (WM_SIZE
//              through the surface's procedure chain);
//   running    the surface raises Resize and the messages of its events by itself;
//              readProperties / writeProperties on request;
//   terminate  Terminate, once; the destructor does it when nobody did.
// The widgets belong to the surface (a Qt child of the given parent); the site and the
// control hold only adapters that fail with E_HANDLE once a widget is gone.
#pragma once

#include <functional>
#include <memory>

#include <QString>

#include <orvane/orvane.h>
#include <toolkit/qt/qt_drop_down.h>
#include <toolkit/qt/qt_grid.h>
#include <toolkit/qt/qt_surface.h>
#include <toolkit/qt/qt_text_box.h>

namespace orvane::qt {

// Design-time layout of the control (twips): the control, the selector, the grid, the
// text editor (with its design-time text) and the drop-down editor. The lists' heights
// are their own.
struct DesignTimeLayout {
    static constexpr float kWidth = 4800, kHeight = 3975;
    static constexpr float kSelectorLeft = 120, kSelectorTop = 120, kSelectorWidth = 4575;
    static constexpr float kGridLeft = 120, kGridTop = 480, kGridWidth = 4575, kGridHeight = 2175;
    static constexpr float kTextLeft = 840, kTextTop = 3000, kTextWidth = 1335, kTextHeight = 285;
    static constexpr char16_t kText[] = u"Text1";
    static constexpr float kDropDownLeft = 2640, kDropDownTop = 3120, kDropDownWidth = 1815;
    static constexpr int kGridRows = 2, kGridCols = 2;
};

class ControlSite {
public:
    // Receives each failing event handler of the control: its name and status.
    using FailureHandler = std::function<void(const QString& handler, HRESULT hr)>;

    // Creates and sites a control on a new surface, child of parent.
    //   in:  parent (may be null: the caller then owns surface()); failures, called for
    //        every failing handler (may be empty); bag, restored from with ReadProperties
    //        after Initialize (null: nothing restored).
    //   out: site, the new site; empty on failure.
    //   S_OK, also when a container event's handler fails (it went to failures);
    //   the failures of CoCreateInstance (REGDB_E_CLASSNOTREG for a library not
    //   registered, ...), E_NOINTERFACE for an object without the siting interface,
    //   Site's failures, E_OUTOFMEMORY.
    static HRESULT create(QWidget* parent, FailureHandler failures, widgets::PropertyBag* bag,
                          std::unique_ptr<ControlSite>& site) noexcept;

    // Terminates the control when that has not happened, and releases it.
    ~ControlSite();
    ControlSite(const ControlSite&) = delete;
    ControlSite& operator=(const ControlSite&) = delete;

    // The control's interface (null after terminate).
    _PropertiesCtl* control() const noexcept { return control_.get(); }
    // The surface widget (null once gone) and the widget adapters.
    SurfaceWidget* surface() const noexcept { return surface_->widget(); }
    QtSurface& surfaceAdapter() const noexcept { return *surface_; }
    QtGrid& grid() const noexcept { return *grid_; }
    QtTextBox& textEditor() const noexcept { return *text_editor_; }
    QtDropDown& selector() const noexcept { return *selector_; }
    QtDropDown& dropDownEditor() const noexcept { return *drop_down_editor_; }

    // ReadProperties / WriteProperties with bag; the handler's status (also reported to
    // the failure handler). E_UNEXPECTED after terminate.
    HRESULT readProperties(widgets::PropertyBag& bag) noexcept;
    HRESULT writeProperties(widgets::PropertyBag& bag) noexcept;

    // Raises Terminate (once) and releases the control: the handler's status, S_OK when
    // the control was terminated already.
    HRESULT terminate() noexcept;

private:
    class ErrorSink;
    ControlSite() = default;

    std::shared_ptr<QtWindowSystem> windows_;
    std::shared_ptr<QtSurface> surface_;
    std::shared_ptr<QtGrid> grid_;
    std::shared_ptr<QtTextBox> text_editor_;
    std::shared_ptr<QtDropDown> selector_;
    std::shared_ptr<QtDropDown> drop_down_editor_;
    comrt::ComPtr<_PropertiesCtl> control_;
    comrt::ComPtr<ErrorSink> errors_;
    bool initialized_ = false;  // Initialize was raised, so Terminate is due
};

}  // namespace orvane::qt
