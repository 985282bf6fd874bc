#include "framework/Icons.h"

#include "framework/SysUtils.h"

#include <string>
#include <tuple>

namespace {

// The size of an icon as its bitmaps say; {0, 0} for a broken handle.
std::pair<int, int> IconSize(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return {0, 0};
    BITMAP bm{};
    HBITMAP measured = info.hbmColor ? info.hbmColor : info.hbmMask;
    GetObjectA(measured, sizeof bm, &bm);
    const int height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;  // a mask-only icon stacks AND over XOR
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return {bm.bmWidth, height};
}

}  // namespace

void TIcon::SetHandle(HICON icon)
{
    if (icon == m_handle.Get())
        return;
    m_handle.Reset(icon);
    std::tie(m_width, m_height) = IconSize(icon);
    Changed();
}

HICON TIcon::ReleaseHandle()
{
    m_width = m_height = 0;
    return m_handle.Release();
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const std::string& name, int size)
{
    Load(instance, name.c_str(), name, size);
}

void TIcon::LoadFromResourceID(HINSTANCE instance, int id, int size)
{
    Load(instance, MAKEINTRESOURCEA(id), std::to_string(id), size);
}

void TIcon::Load(HINSTANCE instance, const char* resource, const std::string& shownName, int size)
{
    const UINT flags = size > 0 ? 0 : LR_DEFAULTSIZE;
    auto* icon = static_cast<HICON>(LoadImageA(instance, resource, IMAGE_ICON, size, size, flags));
    if (!icon)
        throw EResNotFound(Format("Resource %s not found", shownName.c_str()));
    SetHandle(icon);
}

void TIcon::Assign(const TPersistent* source)
{
    auto* icon = dynamic_cast<const TIcon*>(source);
    if (!icon) {
        TPersistent::Assign(source);
        return;
    }
    if (icon == this)
        return;
    HICON copy = nullptr;
    if (icon->Handle()) {
        copy = CopyIcon(icon->Handle());
        if (!copy)
            throw EOutOfResources("Cannot copy an icon");
    }
    SetHandle(copy);
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect)
{
    if (m_handle)
        DrawIconEx(canvas->Handle(), rect.Left, rect.Top, m_handle.Get(), rect.Width(), rect.Height(), 0,
                   nullptr, DI_NORMAL);
}
