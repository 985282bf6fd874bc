#pragma once
// An icon picture: one icon handle, owned, with a change notification. Copies are real
// copies (CopyIcon), so each holder frees its own.
#include "framework/Classes.h"
#include "framework/UserHandles.h"

#include <string>

class TIcon : public TPersistent {
public:
    TIcon() = default;

    HICON Handle() const { return m_handle.get(); }
    // Takes ownership of `icon`.
    void SetHandle(HICON icon);
    // Gives up ownership; the icon is then empty.
    HICON ReleaseHandle();
    bool Empty() const { return !m_handle; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Loads the icon resource `name` of `instance` at `size` pixels square (0: the
    // system's large icon size), picking the best of the sizes the resource holds.
    // Raises EResNotFound when there is no such icon.
    void LoadFromResourceName(HINSTANCE instance, const std::string& name, int size = 0);
    void LoadFromResourceID(HINSTANCE instance, int id, int size = 0);

    void Assign(const TPersistent* source) override;

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    void Load(HINSTANCE instance, const char* resource, const std::string& shownName, int size);

    TIconHandle m_handle;
    int m_width = 0;
    int m_height = 0;
};
