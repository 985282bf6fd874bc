// pellon_demo: a borderless window drawn entirely by the graphics layer that shows what
// the phase monitor reads from the board: each phase's deviation from the average of the
// enabled sensors, read again every 3 s. Dragging moves the window, Esc or the cross
// closes it; with -autoclose it ends by itself after its first timed read.
#include "framework/Graphics.h"
#include "framework/SysUtils.h"
#include "src/Oc/PtmLib.h"
#include "src/gui/Painter/TextPainter.h"
#include "src/gui/graphics/image.h"
#include "tools/demo/DemoArt.h"
#include "tools/demo/DemoLayout.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <exception>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 420;
constexpr int kCorner = 18;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMilliseconds = 3000;

// The chart: bars stand on kTrackBottom; labels go above the bars and below the track.
constexpr int kChartLeft = 40;
constexpr int kChartRight = kWidth - 40;
constexpr int kTrackTop = 132;
constexpr int kTrackBottom = 312;

const TRect kCloseBox(670, 14, 702, 46);

const Rgb kWarm{255, 128, 48};
const Rgb kEven{64, 200, 120};
const Rgb kCool{60, 150, 255};
const Rgb kDisabled{120, 128, 140};

bool Inside(const TRect& r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

TColor ToColor(Rgb c, double scale = 1.0)
{
    return RGBColor(static_cast<uint8_t>(c.r * scale), static_cast<uint8_t>(c.g * scale),
                    static_cast<uint8_t>(c.b * scale));
}

Rgb DeviationColor(int deviation)
{
    if (deviation >= 2)
        return kWarm;
    if (deviation <= -2)
        return kCool;
    return kEven;
}

using GlowPainter = std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease>;

GlowPainter MakeGlow(TColor color, uint32_t radius, uint8_t opacity, uint8_t spread,
                     TPoint offset = TPoint(0, 0))
{
    GlowPainter painter(new TOuterGlowTextPainter);
    painter->Color = color;
    painter->Radius = radius;
    painter->Opacity = opacity;
    painter->Spread = spread;
    painter->RadiationOffset = offset;
    return painter;
}

void SetFont(TCanvas* canvas, const char* name, int height, TFontStyles style, TColor color)
{
    TFont* font = canvas->Font();
    font->SetName(name);
    font->SetHeight(height);
    font->SetStyle(style);
    font->SetColor(color);
}

void Blend(TBitmap* frame, TBitmap* image, int x, int y, uint8_t opacity = 255)
{
    BlendAlphaClipped(frame, TRect(x, y, x + image->Width(), y + image->Height()), image,
                      TPoint(0, 0), opacity);
}

void PlainText(TCanvas* canvas, const std::wstring& text, const TRect& box, UINT format)
{
    TTextPainter::Shared()->DrawText(canvas, text.c_str(), box, format | DT_SINGLELINE, false);
}

std::wstring Signed(int degrees)
{
    wchar_t text[24];
    std::swprintf(text, 24, degrees == 0 ? L"%d\u00B0" : L"%+d\u00B0", degrees);
    return text;
}

std::wstring Plural(int count, const wchar_t* one, const wchar_t* many)
{
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

class DemoWindow {
public:
    explicit DemoWindow(HINSTANCE instance);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void Read();
    void Compose();
    void DrawChrome(TCanvas* canvas);
    void DrawPhases(TCanvas* canvas);
    void DrawNotice(TCanvas* canvas, const std::wstring& title, const std::wstring& detail);
    void DrawFooter(TCanvas* canvas);
    void Paint();

    HWND m_window = nullptr;
    TBitmap m_frame;
    PtmLib* m_monitor = &PtmLib::Instance();  // borrowed: lives until the process ends
    std::wstring m_readTime;
    GlowPainter m_titlePainter = MakeGlow(ToColor({39, 96, 185}), 6, 230, 0, TPoint(1, 1));
    GlowPainter m_valuePainter = MakeGlow(RGBColor(255, 140, 40), 4, 150, 0);
    bool m_autoClose = FindCmdLineSwitch("autoclose", {'-'}, true);
};

DemoWindow::DemoWindow(HINSTANCE instance)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &DemoWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = "PellonDemo";
    if (!RegisterClassExA(&windowClass))
        throw Exception("Cannot register the window class");

    m_frame.SetPixelFormat(pf24bit);
    m_frame.SetSize(kWidth, kHeight);
    Read();
    Compose();

    const int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    m_window = CreateWindowExA(WS_EX_APPWINDOW, "PellonDemo", "Pellon", WS_POPUP | WS_SYSMENU,
                               left, top, kWidth, kHeight, nullptr, nullptr, instance, this);
    if (!m_window)
        throw Exception("Cannot create the window");
    RegionHandle outline(CreateRoundRectRgn(0, 0, kWidth + 1, kHeight + 1, 2 * kCorner, 2 * kCorner));
    if (SetWindowRgn(m_window, outline.Get(), FALSE))
        outline.Release();  // the window owns its region now
    if (!SetTimer(m_window, kPollTimer, kPollMilliseconds, nullptr))
        throw Exception("Cannot start the read timer");
    ShowWindow(m_window, SW_SHOW);
    UpdateWindow(m_window);
}

LRESULT CALLBACK DemoWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<DemoWindow*>(create->lpCreateParams)->m_window = window;
    }
    auto* self = reinterpret_cast<DemoWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (const std::exception& error) {
        OutputDebugStringA((std::string("pellon_demo: ") + error.what() + "\r\n").c_str());
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT DemoWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST: {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ScreenToClient(m_window, &p);
        return Inside(kCloseBox, p.x, p.y) ? HTCLIENT : HTCAPTION;  // drag by any other part
    }
    case WM_LBUTTONUP:
        if (Inside(kCloseBox, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))))
            PostMessageA(m_window, WM_CLOSE, 0, 0);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            PostMessageA(m_window, WM_CLOSE, 0, 0);
        return 0;
    case WM_TIMER:
        if (wParam == kPollTimer) {
            Read();
            Compose();
            InvalidateRect(m_window, nullptr, FALSE);
            UpdateWindow(m_window);
            if (m_autoClose)
                PostMessageA(m_window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the frame covers everything
    case WM_PAINT:
        Paint();
        return 0;
    case WM_DESTROY:
        KillTimer(m_window, kPollTimer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(m_window, message, wParam, lParam);
    }
}

void DemoWindow::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    try {
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.Draw(0, 0, &m_frame);
        canvas.SetHandle(nullptr);
    } catch (...) {
        EndPaint(m_window, &ps);
        throw;
    }
    EndPaint(m_window, &ps);
}

void DemoWindow::Read()
{
    if (!m_monitor->IsFeatureEnabled())
        return;
    m_monitor->Refresh();
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[16];
    std::swprintf(text, 16, L"%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    m_readTime = text;
}

void DemoWindow::Compose()
{
    TCanvas* canvas = m_frame.Canvas();
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(TRect(0, 0, kWidth, kHeight));

    auto panel = RoundedPanel(kWidth, kHeight, kCorner, {38, 44, 56}, {14, 16, 21}, 255,
                              {92, 104, 126}, 150);
    Blend(&m_frame, panel.get(), 0, 0);
    auto light = SoftLight(520, 220, {60, 120, 220}, 46);
    Blend(&m_frame, light.get(), -120, -110);

    DrawChrome(canvas);
    if (m_monitor->PhaseCount() <= 0)
        DrawNotice(canvas, L"No phase sensors on this board",
                   L"The BIOS reports no phase temperature items, so there is nothing to show.");
    else if (!m_monitor->IsFeatureEnabled())
        DrawNotice(canvas, L"Feature switched off in the BIOS",
                   L"The board has " + Plural(m_monitor->PhaseCount(), L"phase", L"phases") +
                       L", but their temperatures are read only while the feature is on.");
    else
        DrawPhases(canvas);
    DrawFooter(canvas);
}

void DemoWindow::DrawChrome(TCanvas* canvas)
{
    SetFont(canvas, "Arial", -34, fsBold, RGBColor(236, 250, 255));
    m_titlePainter->DrawText(canvas, "Pellon", TRect(22, 14, 240, 66),
                             DT_LEFT | DT_TOP | DT_SINGLELINE, false);
    SetFont(canvas, "Arial", -12, 0, RGBColor(128, 140, 160));
    PlainText(canvas, L"Power phase monitor  \u00B7  deviation from the average of the enabled sensors",
              TRect(30, 62, 560, 80), DT_LEFT | DT_TOP);

    SetFont(canvas, "Arial", -20, 0, RGBColor(150, 160, 178));
    PlainText(canvas, L"\u00D7", kCloseBox, DT_CENTER | DT_VCENTER);

    auto line = FadingLine(kWidth - 48, {120, 170, 255}, 110);
    Blend(&m_frame, line.get(), 24, 94);
}

void DemoWindow::DrawNotice(TCanvas* canvas, const std::wstring& title, const std::wstring& detail)
{
    const TRect box(90, 150, kWidth - 90, 290);
    auto panel = RoundedPanel(box.Width(), box.Height(), 16, {255, 255, 255}, {255, 255, 255}, 12,
                              {140, 150, 170}, 90);
    Blend(&m_frame, panel.get(), box.Left, box.Top);
    SetFont(canvas, "Arial", -22, fsBold, RGBColor(255, 214, 170));
    m_valuePainter->Color = RGBColor(150, 70, 20);
    m_valuePainter->DrawText(canvas, title.c_str(), TRect(box.Left, box.Top + 28, box.Right, box.Top + 66),
                             DT_CENTER | DT_VCENTER | DT_SINGLELINE, false);
    SetFont(canvas, "Arial", -12, 0, RGBColor(150, 160, 178));
    PlainText(canvas, detail, TRect(box.Left + 16, box.Top + 78, box.Right - 16, box.Top + 100),
              DT_CENTER | DT_VCENTER);
}

void DemoWindow::DrawPhases(TCanvas* canvas)
{
    const int phases = m_monitor->PhaseCount();
    const int perSensor = std::max(1, m_monitor->PhasesPerSensor());
    const PhaseBarLayout layout = LayoutPhaseBars(phases, kChartLeft, kChartRight);
    if (layout.slotWidth == 0)
        return;
    const int zeroLevel = ZeroLevel(kTrackTop, kTrackBottom);
    auto zero = FadingLine(kChartRight - kChartLeft, {255, 255, 255}, 60);
    Blend(&m_frame, zero.get(), kChartLeft, zeroLevel);

    // Values above the bars only where they fit; the sensor captions below carry them
    // otherwise (the phases of one sensor share its reading).
    const bool valuePerBar = layout.slotWidth >= 36;
    const bool namePerBar = layout.slotWidth >= 16;
    for (int i = 0; i < phases; ++i) {
        const bool enabled = m_monitor->IsPhaseEnabled(static_cast<unsigned>(i));
        const int deviation = m_monitor->PhaseDeviation(static_cast<unsigned>(i));
        const int x = PhaseBarLeft(layout, i);
        auto track = RoundedPanel(layout.barWidth, kTrackBottom - kTrackTop,
                                  std::min(5, layout.barWidth / 2), {255, 255, 255},
                                  {255, 255, 255}, 14, {255, 255, 255}, 24);
        Blend(&m_frame, track.get(), x, kTrackTop);

        const int top = enabled ? DeviationTop(deviation, kTrackTop, kTrackBottom)
                                : kTrackBottom - kMinBarHeight;
        const Rgb color = enabled ? DeviationColor(deviation) : kDisabled;
        auto bar = GlassBar(layout.barWidth, kTrackBottom - top, color, enabled ? 235 : 150);
        Blend(&m_frame, bar.get(), x, top);

        const int centre = x + layout.barWidth / 2;
        const int half = layout.slotWidth / 2;
        if (valuePerBar) {
            SetFont(canvas, "Arial", -12, fsBold, ToColor(color));
            m_valuePainter->Color = ToColor(color, 0.6);
            m_valuePainter->DrawText(canvas, (enabled ? Signed(deviation) : L"off").c_str(),
                                     TRect(centre - half, top - 24, centre + half, top - 4),
                                     DT_CENTER | DT_VCENTER | DT_SINGLELINE, false);
        }
        if (namePerBar) {
            SetFont(canvas, "Arial", layout.slotWidth >= 30 ? -12 : -10, 0,
                    enabled ? RGBColor(120, 132, 150) : RGBColor(84, 92, 106));
            const std::wstring name =
                (layout.slotWidth >= 30 ? L"P" : L"") + std::to_wstring(i + 1);
            PlainText(canvas, name, TRect(centre - half, kTrackBottom + 6, centre + half, kTrackBottom + 22),
                      DT_CENTER | DT_TOP);
        }
    }

    // One caption per sensor under its group of phases.
    const int groupWidth = layout.slotWidth * perSensor;
    for (int first = 0, sensor = 0; first < phases; first += perSensor, ++sensor) {
        const int left = layout.firstSlot + first * layout.slotWidth;
        const bool enabled = m_monitor->IsPhaseEnabled(static_cast<unsigned>(first));
        auto bracket = FadingLine(std::max(1, groupWidth - 8), {160, 180, 220}, 90);
        Blend(&m_frame, bracket.get(), left + 4, kTrackBottom + 28);
        std::wstring caption = (groupWidth >= 64 ? L"Sensor " : L"S") + std::to_wstring(sensor + 1);
        if (!valuePerBar)
            caption += enabled ? L"  " + Signed(m_monitor->PhaseDeviation(static_cast<unsigned>(first)))
                               : L"  off";
        SetFont(canvas, "Arial", -11, 0, enabled ? RGBColor(150, 164, 186) : RGBColor(90, 98, 112));
        PlainText(canvas, caption, TRect(left, kTrackBottom + 32, left + groupWidth, kTrackBottom + 48),
                  DT_CENTER | DT_TOP);
    }

    // The spread between the warmest and the coolest enabled phase, in whole degrees.
    int warmest = 0, coolest = 0, counted = 0;
    for (int i = 0; i < phases; ++i) {
        if (!m_monitor->IsPhaseEnabled(static_cast<unsigned>(i)))
            continue;
        const int deviation = m_monitor->PhaseDeviation(static_cast<unsigned>(i));
        warmest = counted ? std::max(warmest, deviation) : deviation;
        coolest = counted ? std::min(coolest, deviation) : deviation;
        ++counted;
    }
    SetFont(canvas, "Arial", -26, fsBold, RGBColor(255, 226, 190));
    m_valuePainter->Color = RGBColor(200, 90, 20);
    m_valuePainter->DrawText(canvas,
                             (counted ? std::to_wstring(warmest - coolest) + L"\u00B0" : L"\u2013").c_str(),
                             TRect(440, 30, 660, 66), DT_RIGHT | DT_VCENTER | DT_SINGLELINE, false);
    SetFont(canvas, "Arial", -11, 0, RGBColor(128, 140, 160));
    PlainText(canvas, L"spread between the enabled phases", TRect(400, 66, 660, 80),
              DT_RIGHT | DT_TOP);
}

void DemoWindow::DrawFooter(TCanvas* canvas)
{
    const int phases = m_monitor->PhaseCount();
    const int perSensor = m_monitor->PhasesPerSensor();
    std::wstring board = L"Board: " + Plural(phases, L"phase", L"phases");
    if (phases > 0 && perSensor > 0)
        board += L"  \u00B7  " + std::to_wstring(perSensor) + L" per sensor  \u00B7  " +
                 Plural(phases / perSensor, L"sensor", L"sensors");
    SetFont(canvas, "Arial", -12, 0, RGBColor(128, 140, 160));
    PlainText(canvas, board, TRect(30, 376, 400, 400), DT_LEFT | DT_VCENTER);

    std::wstring reading = L"Not read: the feature is off";
    if (phases > 0 && m_monitor->IsFeatureEnabled())
        reading = L"Read every 3 s  \u00B7  last read " + m_readTime;
    else if (phases <= 0)
        reading = L"Nothing to read";
    SetFont(canvas, "Arial", -11, 0, RGBColor(110, 122, 140));
    PlainText(canvas, reading, TRect(380, 376, 692, 400), DT_RIGHT | DT_VCENTER);
}

}  // namespace
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    try {
        DemoWindow window(instance);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return static_cast<int>(message.wParam);
    } catch (const std::exception& error) {
        MessageBoxA(nullptr, error.what(), "Pellon demo", MB_ICONERROR | MB_OK);
        return 1;
    }
}
