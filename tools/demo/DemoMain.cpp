// pellon_demo: a borderless window drawn entirely by the graphics layer: generated
// artwork laid over each other with alpha, and captions with an outer glow. The phase
// readings are simulated; dragging moves the window, Esc or the cross closes it.
#include "framework/Graphics.h"
#include "framework/SysUtils.h"
#include "src/gui/Painter/TextPainter.h"
#include "src/gui/graphics/image.h"
#include "tools/demo/DemoArt.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 420;
constexpr int kCorner = 18;
constexpr int kPhases = 8;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMilliseconds = 1500;

const TRect kCloseBox(670, 14, 702, 46);
const TRect kPerformanceBox(28, 356, 178, 394);
const TRect kSavingBox(190, 356, 340, 394);

// Colours of the active and inactive mode captions and their glows.
const TColor kActiveText = RGBColor(119, 255, 255);
const TColor kActiveGlow = RGBColor(39, 96, 185);
const TColor kInactiveText = RGBColor(96, 140, 140);
const TColor kInactiveGlow = RGBColor(38, 61, 61);

bool Inside(const TRect& r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
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

class DemoWindow {
public:
    explicit DemoWindow(HINSTANCE instance);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void Compose();
    void DrawChrome(TCanvas* canvas);
    void DrawPhases(TCanvas* canvas);
    void DrawModes(TCanvas* canvas);
    void Paint();

    HWND m_window = nullptr;
    TBitmap m_frame;
    GlowPainter m_titlePainter = MakeGlow(kActiveGlow, 6, 230, 0, TPoint(1, 1));
    GlowPainter m_valuePainter = MakeGlow(RGBColor(255, 140, 40), 4, 150, 0);
    GlowPainter m_activePainter = MakeGlow(kActiveGlow, 2, 255, 255);
    GlowPainter m_inactivePainter = MakeGlow(kInactiveGlow, 2, 255, 255);
    bool m_performance = true;
    int m_tick = 0;
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
    SetTimer(m_window, kPollTimer, kPollMilliseconds, nullptr);
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
        if (Inside(kCloseBox, p.x, p.y) || Inside(kPerformanceBox, p.x, p.y) ||
            Inside(kSavingBox, p.x, p.y))
            return HTCLIENT;
        return HTCAPTION;  // drag the window by any other part
    }
    case WM_LBUTTONUP: {
        const int x = static_cast<short>(LOWORD(lParam));
        const int y = static_cast<short>(HIWORD(lParam));
        if (Inside(kCloseBox, x, y)) {
            PostMessageA(m_window, WM_CLOSE, 0, 0);
        } else if (Inside(kPerformanceBox, x, y) || Inside(kSavingBox, x, y)) {
            m_performance = Inside(kPerformanceBox, x, y);
            Compose();
            InvalidateRect(m_window, nullptr, FALSE);
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            PostMessageA(m_window, WM_CLOSE, 0, 0);
        return 0;
    case WM_TIMER:
        if (wParam == kPollTimer) {
            ++m_tick;
            Compose();
            InvalidateRect(m_window, nullptr, FALSE);
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
    DrawPhases(canvas);
    DrawModes(canvas);
}

void DemoWindow::DrawChrome(TCanvas* canvas)
{
    SetFont(canvas, "Arial", -34, fsBold, RGBColor(236, 250, 255));
    m_titlePainter->DrawText(canvas, "Pellon", TRect(22, 14, 240, 66),
                             DT_LEFT | DT_TOP | DT_SINGLELINE, false);
    SetFont(canvas, "Arial", -12, 0, RGBColor(128, 140, 160));
    TTextPainter::Shared()->DrawText(canvas, "Power phase monitor  \xB7  8 phases  \xB7  poll 3 s",
                                     TRect(30, 62, 400, 80), DT_LEFT | DT_TOP | DT_SINGLELINE,
                                     false);

    SetFont(canvas, "Arial", -20, 0, RGBColor(150, 160, 178));
    TTextPainter::Shared()->DrawText(canvas, L"\u00D7", kCloseBox,
                                     DT_CENTER | DT_VCENTER | DT_SINGLELINE, false);

    auto line = FadingLine(kWidth - 48, {120, 170, 255}, 110);
    Blend(&m_frame, line.get(), 24, 94);
}

void DemoWindow::DrawPhases(TCanvas* canvas)
{
    const int chartLeft = 48;
    const int slotWidth = 78;
    const int barWidth = 28;
    const int trackTop = 128;
    const int trackBottom = 318;
    const int zeroLevel = 228;

    // Simulated readings: deviations from the average, in degrees.
    double average = 52.4 + 0.6 * std::sin(m_tick * 0.7);
    auto zero = FadingLine(kWidth - 80, {255, 255, 255}, 60);
    Blend(&m_frame, zero.get(), 40, zeroLevel);

    for (int i = 0; i < kPhases; ++i) {
        const double deviation = 4.2 * std::sin(i * 1.3 + 0.6 + m_tick * 0.45) +
                                 1.1 * std::cos(i * 2.1 + m_tick * 0.3);
        const int x = chartLeft + i * slotWidth + (slotWidth - barWidth) / 2;
        auto track = RoundedPanel(barWidth, trackBottom - trackTop, 5, {255, 255, 255},
                                  {255, 255, 255}, 14, {255, 255, 255}, 24);
        Blend(&m_frame, track.get(), x, trackTop);

        const int lit = std::max(8, static_cast<int>(trackBottom - zeroLevel + deviation * 14));
        const int top = std::max(trackTop, trackBottom - lit);
        Rgb color{64, 200, 120};  // near the average
        if (deviation > 1.5)
            color = {255, 128, 48};
        else if (deviation < -1.5)
            color = {60, 150, 255};
        auto bar = GlassBar(barWidth, trackBottom - top, color, 235);
        Blend(&m_frame, bar.get(), x, top);

        wchar_t value[16];
        std::swprintf(value, 16, L"%+.1f\u00B0", deviation);
        SetFont(canvas, "Arial", -12, fsBold,
                RGBColor(static_cast<uint8_t>(color.r), static_cast<uint8_t>(color.g),
                         static_cast<uint8_t>(color.b)));
        m_valuePainter->Color = RGBColor(static_cast<uint8_t>(color.r * 0.6),
                                         static_cast<uint8_t>(color.g * 0.6),
                                         static_cast<uint8_t>(color.b * 0.6));
        const TRect valueBox(x - 24, top - 26, x + barWidth + 24, top - 4);
        m_valuePainter->DrawText(canvas, value, valueBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                                 false);

        char name[8];
        std::snprintf(name, sizeof name, "P%d", i + 1);
        SetFont(canvas, "Arial", -12, 0, RGBColor(120, 132, 150));
        TTextPainter::Shared()->DrawText(canvas, name, TRect(x - 10, 324, x + barWidth + 10, 342),
                                         DT_CENTER | DT_TOP | DT_SINGLELINE, false);
    }

    wchar_t readout[32];
    std::swprintf(readout, 32, L"%.1f \u00B0C", average);
    SetFont(canvas, "Arial", -26, fsBold, RGBColor(255, 226, 190));
    m_valuePainter->Color = RGBColor(200, 90, 20);
    m_valuePainter->DrawText(canvas, readout, TRect(470, 40, 696, 80),
                             DT_RIGHT | DT_VCENTER | DT_SINGLELINE, false);
    SetFont(canvas, "Arial", -11, 0, RGBColor(128, 140, 160));
    TTextPainter::Shared()->DrawText(canvas, "average phase temperature", TRect(470, 80, 690, 94),
                                     DT_RIGHT | DT_TOP | DT_SINGLELINE, false);
}

void DemoWindow::DrawModes(TCanvas* canvas)
{
    struct Mode {
        const char* caption;
        TRect box;
        bool active;
    };
    const Mode modes[] = {{"Performance", kPerformanceBox, m_performance},
                          {"Power saving", kSavingBox, !m_performance}};
    for (const Mode& mode : modes) {
        auto pill = mode.active
                        ? RoundedPanel(mode.box.Width(), mode.box.Height(), 19, {44, 96, 170},
                                       {22, 52, 104}, 210, {110, 170, 255}, 200)
                        : RoundedPanel(mode.box.Width(), mode.box.Height(), 19, {255, 255, 255},
                                       {255, 255, 255}, 12, {140, 150, 170}, 70);
        Blend(&m_frame, pill.get(), mode.box.Left, mode.box.Top);
        SetFont(canvas, "Arial", -13, fsBold, mode.active ? kActiveText : kInactiveText);
        TOuterGlowTextPainter* painter =
            mode.active ? m_activePainter.get() : m_inactivePainter.get();
        painter->DrawText(canvas, mode.caption, mode.box, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                          false);
    }
    SetFont(canvas, "Arial", -11, 0, RGBColor(110, 122, 140));
    TTextPainter::Shared()->DrawText(
        canvas, m_performance ? "Mode written to the BIOS and kept for the next start"
                              : "Saving mode: phases are shed at light load",
        TRect(356, 356, 692, 394), DT_RIGHT | DT_VCENTER | DT_SINGLELINE, false);
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
