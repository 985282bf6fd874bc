#include "framework/Hints.h"

namespace {

constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr int kFontHeight = -11;

}  // namespace

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    SetVisible(false);
    SetColor(clInfoBk);
    Font()->SetColor(clInfoText);
    Font()->SetHeight(kFontHeight);
}

void THintWindow::SetPixelsPerInch(int pixelsPerInch)
{
    if (pixelsPerInch <= 0 || pixelsPerInch == m_pixelsPerInch)
        return;
    m_pixelsPerInch = pixelsPerInch;
    Font()->SetHeight(Scaled(kFontHeight));
}

void THintWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    params.WndParent = nullptr;
    params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(const std::string& text)
{
    WindowDC screen(nullptr);
    SelectedObject font(screen.Get(), Font()->Handle());
    RECT r{0, 0, Scaled(300), 0};
    DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    return TRect(0, 0, r.right + Scaled(8), r.bottom + Scaled(4));
}

void THintWindow::ActivateHint(const TRect& rect, const std::string& text)
{
    SetCaption(text);
    SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
    SetWindowPos(Handle(), HWND_TOPMOST, rect.Left, rect.Top, rect.Width(), rect.Height(), SWP_NOACTIVATE);
    SetVisible(true);
    Invalidate();
}

void THintWindow::Paint()
{
    const TRect client = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(client);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->SetFont(Font());
    const int x = Scaled(2), y = Scaled(1);
    RECT r{client.Left + x, client.Top + y, client.Right - x, client.Bottom - y};
    DrawTextA(Canvas()->Handle(), Caption().c_str(), static_cast<int>(Caption().size()), &r,
              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
