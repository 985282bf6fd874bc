#include "ToolkitTestSupport.h"

#include "framework/Bitmap.h"
#include "framework/ExtCtrls.h"
#include "framework/SysUtils.h"
#include "GuiTestSupport.h"

#include <cstring>
#include <fstream>

namespace toolkittest {

std::vector<std::string> g_systemCalls;
HDC g_lastMemoryDC = nullptr;

namespace {

template <class Function>
Function Real(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(gs::LookUpUser32(name)));
}

template <class Function>
FARPROC Entry(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

BOOL WINAPI RecordSetAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags)
{
    g_systemCalls.push_back(Format("SetLayeredWindowAttributes key %08lx alpha %d flags %lu", key, alpha, flags));
    return Real<decltype(&RecordSetAttributes)>("SetLayeredWindowAttributes")(window, key, alpha, flags);
}

BOOL WINAPI RecordUpdate(HWND window, HDC windowDC, POINT* destination, SIZE* size, HDC memoryDC,
                         POINT* source, COLORREF key, BLENDFUNCTION* blend, DWORD flags)
{
    BITMAP selected{};
    GetObjectA(GetCurrentObject(memoryDC, OBJ_BITMAP), sizeof selected, &selected);
    g_systemCalls.push_back(Format("UpdateLayeredWindow at %ld,%ld size %ldx%ld from %ld,%ld key %08lx "
                                   "blend %d %d %d %d flags %lu, selected %ldx%ld",
                                   destination->x, destination->y, size->cx, size->cy, source->x, source->y,
                                   key, blend->BlendOp, blend->BlendFlags, blend->SourceConstantAlpha,
                                   blend->AlphaFormat, flags, selected.bmWidth, selected.bmHeight));
    g_lastMemoryDC = memoryDC;
    return Real<decltype(&RecordUpdate)>("UpdateLayeredWindow")(window, windowDC, destination, size, memoryDC,
                                                                source, key, blend, flags);
}

std::string CurrentFolder()
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

std::string UnixPath(const std::string& windowsPath)
{
    std::string path = windowsPath.substr(2);  // the drive Z: is the Unix root
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

}  // namespace

ScopedLookup::ScopedLookup(gs::User32Lookup lookup) : m_previous(gs::SetUser32Lookup(lookup))
{
    g_systemCalls.clear();
}

ScopedLookup::~ScopedLookup()
{
    gs::SetUser32Lookup(m_previous);
}

FARPROC RecordingLookup(const char* name)
{
    if (std::strcmp(name, "SetLayeredWindowAttributes") == 0)
        return Entry(RecordSetAttributes);
    if (std::strcmp(name, "UpdateLayeredWindow") == 0)
        return Entry(RecordUpdate);
    return nullptr;
}

FARPROC MissingLookup(const char*)
{
    return nullptr;
}

void Paint(TBitmap* bitmap, TPixelFormat format, int width, int height, const std::vector<Band>& bands)
{
    bitmap->SetPixelFormat(format);
    bitmap->SetSize(width, height);
    const int bytes = format == pf32bit ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        BYTE* row = bitmap->ScanLine(y);
        for (const Band& band : bands)
            for (int x = band.from; x < band.to && x < width; ++x) {
                BYTE* pixel = row + x * bytes;
                pixel[0] = band.b;
                pixel[1] = band.g;
                pixel[2] = band.r;
                if (bytes == 4)
                    pixel[3] = band.a;
            }
    }
    bitmap->SetModified(true);
}

ShapedForm MakeForm(const std::string& name, int left, int top)
{
    ShapedForm made{TComponentPtr<TForm>(new TForm(nullptr)), nullptr};
    made.form->SetName(name);
    made.form->SetBorderStyle(bsNone);
    made.form->SetScaled(false);
    made.form->SetBounds(left, top, 300, 200);
    made.image = new TImage(made.form.get());
    made.image->SetParent(made.form.get());
    return made;
}

TComponentPtr<TForm> MakeBackdrop(TColor color, const TRect& bounds)
{
    TComponentPtr<TForm> form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetColor(color);
    form->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    return form;
}

Screenshot::Screenshot(const std::string& name)
{
    const std::string file = CurrentFolder() + "\\" + name + ".ppm";
    guitest::RunUnix("import -window root -depth 8 ppm:" + UnixPath(file), true);
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> m_width >> m_height >> maxValue;
    in.get();
    if (!in || magic != "P6" || maxValue != 255) {
        m_width = m_height = 0;
        return;
    }
    m_rgb.resize(static_cast<size_t>(m_width) * m_height * 3);
    in.read(reinterpret_cast<char*>(m_rgb.data()), static_cast<std::streamsize>(m_rgb.size()));
    if (!in)
        m_width = m_height = 0;
}

COLORREF Screenshot::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    const BYTE* p = &m_rgb[(static_cast<size_t>(y) * m_width + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

std::string Rgb(COLORREF color)
{
    return Format("rgb(%d, %d, %d)", GetRValue(color), GetGValue(color), GetBValue(color));
}

void XdotoolWhilePumping(const std::string& args)
{
    guitest::RunUnix("xdotool " + args, true);
    guitest::Pump(60);
}

void Drag(int button, int x, int y, int dx, int dy)
{
    XdotoolWhilePumping(Format("mousemove %d %d sleep 0.1 mousedown %d sleep 0.2 mousemove %d %d "
                               "sleep 0.2 mouseup %d",
                               x, y, button, x + dx, y + dy, button));
}

}  // namespace toolkittest
