#pragma once
// A handler put in front of a control's WindowProc for as long as the hook lives. The
// handler gets every message and the procedure it stands in front of, and passes on
// what it does not answer. Hooks may go in any order: one that goes takes only itself
// out of the chain. A control freed before its hook ends the chain with it; the hook is
// then no longer hooked and touches nothing when it goes.
#include "framework/Controls.h"

#include <functional>
#include <memory>

class TWindowProcHook {
public:
    using THandler = std::function<void(TMessage& message, const TWndMethod& next)>;

    TWindowProcHook() = default;
    TWindowProcHook(TControl* control, THandler handler) { Hook(control, std::move(handler)); }
    ~TWindowProcHook() { Unhook(); }
    TWindowProcHook(const TWindowProcHook&) = delete;
    TWindowProcHook& operator=(const TWindowProcHook&) = delete;

    // Precondition: not hooked (a hook whose control was freed is not).
    void Hook(TControl* control, THandler handler);
    void Unhook();
    bool Hooked() const;
    TControl* Control() const;  // borrowed; null when unhooked or the control is gone

    struct Link;  // shared by the hook and the closure in the control's chain

private:
    std::shared_ptr<Link> m_link;
};
