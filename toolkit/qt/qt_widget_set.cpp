// The control's widgets made of Qt widgets (qt_widget_set.h).
#include <toolkit/qt/qt_widget_set.h>

#include <comrt/error.h>
#include <comrt/window.h>
#include <toolkit/qt/qt_drop_down.h>
#include <toolkit/qt/qt_find_field.h>
#include <toolkit/qt/qt_grid.h>
#include <toolkit/qt/qt_surface.h>
#include <toolkit/qt/qt_text_box.h>

namespace orvane::qt {

widgets::WidgetSet CreateQtWidgets(QWidget* parent, const RECT& position) {
    using Layout = DesignTimeLayout;
    auto surface = std::make_shared<QtSurface>(parent, Layout::kWidth, Layout::kHeight);
    QWidget* window = surface->widget();
    window->setObjectName(QStringLiteral("surface"));
    window->move(position.left, position.top);
    // Created in stacking order: the editors float over the grid.
    auto selector = std::make_shared<QtDropDown>(window, Layout::kSelectorLeft, Layout::kSelectorTop,
                                                 Layout::kSelectorWidth, true);
    selector->list()->setObjectName(QStringLiteral("selector"));
    auto grid = std::make_shared<QtGrid>(window, Layout::kGridLeft, Layout::kGridTop, Layout::kGridWidth,
                                         Layout::kGridHeight);
    grid->view()->setObjectName(QStringLiteral("grid"));
    grid->SetCols(Layout::kGridCols);
    grid->SetRows(Layout::kGridRows);
    auto text_editor = std::make_shared<QtTextBox>(window, Layout::kTextLeft, Layout::kTextTop, Layout::kTextWidth,
                                                   Layout::kTextHeight);
    text_editor->editor()->setObjectName(QStringLiteral("textEditor"));
    auto drop_down_editor = std::make_shared<QtDropDown>(window, Layout::kDropDownLeft, Layout::kDropDownTop,
                                                         Layout::kDropDownWidth, false);
    drop_down_editor->list()->setObjectName(QStringLiteral("dropDownEditor"));
    // An editor that hides with the focus leaves it to the grid, inside the control, and
    // the wheel over an editor scrolls the grid.
    text_editor->setFocusKeeper(grid->view());
    drop_down_editor->setFocusKeeper(grid->view());
    text_editor->editor()->setWheelTarget(grid->view()->viewport());
    drop_down_editor->list()->setWheelTarget(grid->view()->viewport());
    // The editors lie in the grid's viewport, which scrolls them with the cells' pixels
    // (Qt scrolls no pixels under a sibling lying over the viewport: each step would
    // repaint it all). Assistive technology still finds them among the surface's children.
    text_editor->hostIn(*grid->view()->viewport());
    drop_down_editor->hostIn(*grid->view()->viewport());
    surface->widget()->listAsChild(text_editor->editor());
    surface->widget()->listAsChild(drop_down_editor->list());
    auto find_field = std::make_shared<QtFindField>(window);
    find_field->line()->setObjectName(QStringLiteral("findField"));
    // In the tab order between the selector and the grid, where it lies when open.
    QWidget::setTabOrder(selector->list(), find_field->line());
    // Shown with its container's widget; the control sizes it with SetObjectRect.
    if (parent) window->show();
    return {surface, grid, text_editor, selector, drop_down_editor, find_field};
}

}  // namespace orvane::qt

namespace orvane::widgets {

WidgetSet CreateToolkitWidgets(HWND parent, const RECT& position) {
    void* window = nullptr;
    comrt::check(ComrtGetWindowObject(parent, &window));
    // On this platform a window handle names a QWidget of the process's one Qt.
    return qt::CreateQtWidgets(static_cast<QWidget*>(window), position);
}

}  // namespace orvane::widgets
