// One control's worth of fakes (fake_widgets.h).
#include <tests/fakes/fake_widgets.h>

namespace orvane::fakes {

FakeWidgets::FakeWidgets(std::shared_ptr<FakeEnvironment> environment, const std::string& prefix)
    : env(environment ? std::move(environment) : std::make_shared<FakeEnvironment>()),
      surface(std::make_shared<FakeContainer>(env, prefix + "surface")),
      grid(std::make_shared<FakeGrid>(env, prefix + "grid")),
      text1(std::make_shared<FakeTextBox>(env, prefix + "text1")),
      combo1(std::make_shared<FakeDropDown>(env, prefix + "combo1")),
      combo2(std::make_shared<FakeDropDown>(env, prefix + "combo2")) {
    // The widgets lie in the surface's window and go with it.
    for (FakeBase* widget : {static_cast<FakeBase*>(grid.get()), static_cast<FakeBase*>(text1.get()),
                             static_cast<FakeBase*>(combo1.get()), static_cast<FakeBase*>(combo2.get())})
        widget->set_window_flag(surface->window_flag());
}

widgets::WidgetSet FakeWidgets::set() const {
    // The window system lives inside the environment and shares its lifetime.
    const std::shared_ptr<widgets::WindowSystem> windows(env, &env->windows());
    return widgets::WidgetSet{surface, grid, text1, combo1, combo2, windows};
}

}  // namespace orvane::fakes
