// One control's worth of fakes in one environment: the surface, the grid, the text
// editor and the two drop-down lists, as a WidgetSet for the control.
#pragma once

#include <memory>

#include <control/widgets/widget_set.h>
#include <tests/fakes/fake_container.h>
#include <tests/fakes/fake_drop_down.h>
#include <tests/fakes/fake_find_field.h>
#include <tests/fakes/fake_grid.h>
#include <tests/fakes/fake_text_box.h>

namespace orvane::fakes {

struct FakeWidgets {
    // A new environment of its own, or the given one, so that several controls can share
    // one window system, log and focus.
    // Names in the log: "<prefix>surface", "<prefix>grid", "<prefix>text_editor",
    // "<prefix>selector", "<prefix>drop_down_editor", "<prefix>find_field".
    explicit FakeWidgets(std::shared_ptr<FakeEnvironment> environment = nullptr, const std::string& prefix = "");

    widgets::WidgetSet set() const;

    std::shared_ptr<FakeEnvironment> env;
    std::shared_ptr<FakeContainer> surface;
    std::shared_ptr<FakeGrid> grid;
    std::shared_ptr<FakeTextBox> text_editor;
    std::shared_ptr<FakeDropDown> selector;
    std::shared_ptr<FakeDropDown> drop_down_editor;
    std::shared_ptr<FakeFindField> find_field;
};

}  // namespace orvane::fakes
