// Events the toolkit's widgets raise into the control are counted while they run.
//
// The control may be deactivated, and its windows taken away, from inside one of them: a
// host that lets go of the control from a notification the event caused (the change of an
// item that the user's Enter committed). The widget whose event is running must outlive
// it, so a window taken away meanwhile is hidden and taken out of its parent at once, and
// freed once control is back in the event loop (QtSurface::Destroy).
//
// The count is the process's: Qt's widgets live on its one user-interface thread.
#pragma once

namespace orvane::qt {

class Delivery {
public:
    Delivery() noexcept { ++depth_; }
    ~Delivery() { --depth_; }
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

    // Whether an event of the toolkit's is being delivered to the control now.
    static bool InProgress() noexcept { return depth_ > 0; }

private:
    static inline int depth_ = 0;
};

// Runs raise (a call into one of the control's event sinks) as a delivery.
template <typename Raise>
void Deliver(Raise&& raise) {
    const Delivery delivering;
    raise();
}

}  // namespace orvane::qt
