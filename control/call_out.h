// A call the control makes out of itself: into a container's channel, into the host's
// group or item (whose getters are the host's code), or into whatever such a call reaches.
// The callee may call back and commit, cancel, switch the group, clear, deactivate or
// release the control. Held around the call, a CallOut keeps the control alive until the
// caller is done with it, and tells afterwards whether the call replaced the editing state
// the caller was working on, so that the caller stops instead of carrying on over a state
// that is gone:
//
//     const CallOut out(*this);
//     comrt::check(item->get_ItemValue(value.put()));
//     if (out.interrupted()) return false;
//
// Every entry point that makes such calls holds one for its whole run (the event sinks,
// the host's methods), so the control outlives the calls that release it; the checks after
// each call are the caller's.
#pragma once

#include <cstdint>

#include <comrt/com_ptr.h>

namespace orvane {

class PropertiesCtl;

class CallOut {
public:
    explicit CallOut(PropertiesCtl& control) noexcept;
    // Whether the editing state changed hands since this began: an edit opened or closed,
    // the group switched or cleared, the control deactivated.
    bool interrupted() const noexcept;

private:
    comrt::ComPtr<PropertiesCtl> control_;
    std::uint64_t epoch_;
};

}  // namespace orvane
