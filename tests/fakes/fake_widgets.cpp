// One control's worth of fakes (fake_widgets.h).
#include <tests/fakes/fake_widgets.h>

namespace orvane::fakes {

FakeWidgets::FakeWidgets(std::shared_ptr<FakeEnvironment> environment, const std::string& prefix)
    : env(environment ? std::move(environment) : std::make_shared<FakeEnvironment>()),
      surface(std::make_shared<FakeContainer>(env, prefix + "surface")),
      grid(std::make_shared<FakeGrid>(env, prefix + "grid")),
      text_editor(std::make_shared<FakeTextBox>(env, prefix + "text_editor")),
      selector(std::make_shared<FakeDropDown>(env, prefix + "selector")),
      drop_down_editor(std::make_shared<FakeDropDown>(env, prefix + "drop_down_editor")),
      find_field(std::make_shared<FakeFindField>(env, prefix + "find_field")) {
    // The widgets lie in the surface's window and go with it.
    for (FakeBase* widget : {static_cast<FakeBase*>(grid.get()), static_cast<FakeBase*>(text_editor.get()),
                             static_cast<FakeBase*>(selector.get()), static_cast<FakeBase*>(drop_down_editor.get()),
                             static_cast<FakeBase*>(find_field.get())})
        widget->set_window_flag(surface->window_flag());
}

widgets::WidgetSet FakeWidgets::set() const {
    return widgets::WidgetSet{surface, grid, text_editor, selector, drop_down_editor, find_field};
}

}  // namespace orvane::fakes
