#pragma once
// The roots of the class tree and the event closures.
#include <functional>
#include <utility>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// Copies contents between objects that know each other: Assign asks the source to
// AssignTo the destination when the destination does not know the source's class.
class TPersistent : public TObject {
public:
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
};

// An event property: a closure that is called only when assigned. Bind makes one
// from an object and a member function, as the handlers of a form are written.
template <class... Args>
using TEvent = std::function<void(Args...)>;

using TNotifyEvent = TEvent<TObject* /*Sender*/>;

template <class Obj, class... Args>
TEvent<Args...> Bind(Obj* object, void (Obj::*method)(Args...))
{
    return [object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); };
}

template <class Event, class... Args>
void Fire(const Event& event, Args&&... args)
{
    if (event)
        event(std::forward<Args>(args)...);
}
