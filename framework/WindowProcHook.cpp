#include "framework/WindowProcHook.h"

#include "framework/Assert.h"

// The hook learns of its control's end through a free notification, which only a
// component can receive.
class THookWatcher : public TComponent {
public:
    explicit THookWatcher(TWindowProcHook::Link* link) : TComponent(nullptr), m_link(link) {}

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TWindowProcHook::Link* m_link;  // borrowed: the link owns this watcher
};

struct TWindowProcHook::Link {
    TControl* control = nullptr;  // borrowed; cleared when the control is freed
    // Null once unhooked: the link only passes on. Shared with a call that runs, so that
    // a handler that unhooks itself keeps what it holds until it returns.
    std::shared_ptr<THandler> handler;
    TWndMethod next;
    TComponentPtr<THookWatcher> watcher;
};

void THookWatcher::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_link->control)
        m_link->control = nullptr;
}

namespace {

// The closure in the chain. A named type, so that Unhook can tell whether its own
// closure is still the control's WindowProc.
struct HookForwarder {
    std::shared_ptr<TWindowProcHook::Link> link;

    void operator()(TMessage& message) const
    {
        // Hold the link: the handler may free the hook, or the control, while it runs.
        std::shared_ptr<TWindowProcHook::Link> hold = link;
        if (std::shared_ptr<TWindowProcHook::THandler> handler = hold->handler)
            (*handler)(message, hold->next);
        else if (hold->next)
            hold->next(message);
    }
};

}  // namespace

void TWindowProcHook::Hook(TControl* control, THandler handler)
{
    ASSERT(!Hooked());
    ASSERT(control && handler);
    m_link.reset();  // a hook whose control went
    auto link = std::make_shared<Link>();
    link->control = control;
    link->handler = std::make_shared<THandler>(std::move(handler));
    link->watcher.reset(new THookWatcher(link.get()));
    control->FreeNotification(link->watcher.get());
    TWndMethod forwarder = HookForwarder{link};
    // Only moves from here on, which cannot fail: the control's chain is never left empty.
    link->next = std::move(control->WindowProc);
    control->WindowProc = std::move(forwarder);
    m_link = std::move(link);
}

void TWindowProcHook::Unhook()
{
    if (!m_link)
        return;
    std::shared_ptr<Link> link = std::move(m_link);
    link->handler = nullptr;
    if (TControl* control = link->control) {
        control->RemoveFreeNotification(link->watcher.get());
        link->control = nullptr;
        // On top of the chain the closure goes; further down it stays and only passes on,
        // since the hook above holds it as its next. A copy, not a move: the closure may
        // be running (a handler that unhooks itself) and still pass the message on.
        const auto* top = control->WindowProc.target<HookForwarder>();
        if (top && top->link == link)
            control->WindowProc = link->next;
    }
}

bool TWindowProcHook::Hooked() const
{
    return m_link && m_link->control;
}

TControl* TWindowProcHook::Control() const
{
    return m_link ? m_link->control : nullptr;
}
