#pragma once
// The roots of the class tree and the event closures.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The name of the object's most derived class, without its namespace ("TMainForm").
    std::string ClassName() const;
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

// What a component is going through; a set of these flags.
enum TComponentStateFlag : uint32_t {
    csLoading = 0x01,     // its description is being read; Loaded() ends it
    csReading = 0x02,     // its properties are being read right now
    csDestroying = 0x04,  // it is being freed: its events, alignment and painting stop
    csDesigning = 0x08,   // it is being edited, not run (never set by this framework)
};
using TComponentState = uint32_t;

enum TOperation { opInsert, opRemove };

// A component owns the components created with it as owner and frees them, last
// created first, when it is freed itself. A component freed earlier leaves its owner's
// list on its own. Components that refer to one they do not own ask for a free
// notification, so that the reference is cleared before it dangles.
//
// Free is the way to free a component made with new: the destroying phase runs on the
// whole object before any destructor does, so no derived part is gone while windows
// die and handlers could still be called. A bare delete still works, but its destroying
// phase can start only once the derived destructors have run.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    // Marks the component and all it owns csDestroying, runs BeforeDestruction, then
    // deletes it. A call while the component is being freed does nothing.
    void Free();
    bool IsDestroying() const { return (m_state & csDestroying) != 0; }

    TComponent* Owner() const { return m_owner; }  // borrowed
    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    TComponent* Components(int index) const;  // borrowed
    TComponent* FindComponent(const std::string& name) const;

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    intptr_t Tag() const { return m_tag; }
    void SetTag(intptr_t tag) { m_tag = tag; }
    TComponentState ComponentState() const { return m_state; }

    // Asks that Notification(component, opRemove) be called here when `component` is freed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Called once its description has been read (see TReader): csLoading ends here.
    virtual void Loaded();

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    // The destroying phase on the whole object: tells those that asked for a free
    // notification and frees the owned components. An override does its own part first
    // (a windowed control destroys its window) and then calls this one.
    virtual void BeforeDestruction();
    // Marks the component and all it owns csDestroying.
    void Destroying();
    // Fires one of the component's events, unless it is being freed.
    template <class Event, class... Args>
    void FireEvent(const Event& event, Args&&... args) const
    {
        if (!IsDestroying())
            Fire(event, std::forward<Args>(args)...);
    }
    // Frees the owned components now, last created first, each through Free.
    void DestroyComponents();

private:
    friend class TReader;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void NotifyFreed();

    TComponent* m_owner;  // borrowed
    std::vector<std::unique_ptr<TComponent>> m_components;
    std::vector<TComponent*> m_freeNotifies;  // borrowed, both ways
    std::string m_name;
    intptr_t m_tag = 0;
    TComponentState m_state = 0;
    bool m_freeing = false;  // Free runs
};

// For a unique_ptr that holds a component: frees it through Free.
struct TComponentDeleter {
    void operator()(TComponent* component) const
    {
        if (component)
            component->Free();
    }
};
template <class T>
using TComponentPtr = std::unique_ptr<T, TComponentDeleter>;

// Reads a root component from its description, which is the code run while a reader
// lives: the root and every component it owns, at any depth, then carry csLoading and
// csReading. When the reader ends, csReading is cleared on all of them and each, owners
// first, gets Loaded(). A description that throws leaves no component in the loading
// state; nor does a Loaded() that throws, whose exception leaves the reader's end once
// every component has had its Loaded().
class TReader {
public:
    explicit TReader(TComponent* root);
    ~TReader() noexcept(false);
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

private:
    TComponent* m_root;  // borrowed
};
