#pragma once
// An icon picture: one icon handle, owned, with a change notification. Copies are real
// copies (CopyIcon), so each holder frees its own.
#include "framework/Graphics.h"
#include "framework/Handles.h"

#include <string>

class TIcon : public TGraphic {
public:
    TIcon() = default;

    HICON Handle() const { return m_handle.Get(); }
    // Takes ownership of `icon`.
    void SetHandle(HICON icon);
    // Gives up ownership; the icon is then empty.
    HICON ReleaseHandle();
    bool Empty() const override { return !m_handle; }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }

    // Loads the icon resource `name` of `instance` at `size` pixels square (0: the
    // system's large icon size), picking the best of the sizes the resource holds.
    // Raises EResNotFound when there is no such icon.
    void LoadFromResourceName(HINSTANCE instance, const std::string& name, int size = 0);
    void LoadFromResourceID(HINSTANCE instance, int id, int size = 0);

    void Assign(const TPersistent* source) override;

protected:
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    void Load(HINSTANCE instance, const char* resource, const std::string& shownName, int size);

    IconHandle m_handle;
    int m_width = 0;
    int m_height = 0;
};
