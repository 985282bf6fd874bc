#include "framework/Graphics.h"

#include "framework/Bitmap.h"
#include "framework/SysUtils.h"

#include <cstring>

int ScreenPixelsPerInch()
{
    static const int pixelsPerInch = [] {
        WindowDC screen(nullptr);
        const int value = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
        return value > 0 ? value : 96;
    }();
    return pixelsPerInch;
}

int WindowPixelsPerInch(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : ScreenPixelsPerInch();
}

// ---------------------------------------------------------------------------------------
// TFont

TFont::TFont() = default;

void TFont::SetName(const std::string& name)
{
    if (name == m_name)
        return;
    m_name = name;
    Changed(true);
}

void TFont::SetHeight(int height)
{
    if (height == m_height)
        return;
    m_height = height;
    Changed(true);
}

int TFont::Size() const
{
    return -MulDiv(m_height, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72));
}

void TFont::SetColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    Changed(false);
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == m_style)
        return;
    m_style = style;
    Changed(true);
}

void TFont::SetCharset(uint8_t charset)
{
    if (charset == m_charset)
        return;
    m_charset = charset;
    Changed(true);
}

void TFont::Assign(const TPersistent* source)
{
    const auto* font = dynamic_cast<const TFont*>(source);
    if (!font) {
        TPersistent::Assign(source);
        return;
    }
    if (font == this)
        return;
    const bool same = m_name == font->m_name && m_height == font->m_height &&
                      m_style == font->m_style && m_charset == font->m_charset;
    const bool sameColor = m_color == font->m_color;
    if (same && sameColor)
        return;
    m_name = font->m_name;
    m_height = font->m_height;
    m_style = font->m_style;
    m_charset = font->m_charset;
    m_color = font->m_color;
    Changed(!same);
}

HFONT TFont::Handle()
{
    if (!m_handle) {
        LOGFONTA log{};
        log.lfHeight = m_height;
        log.lfWeight = (m_style & fsBold) ? FW_BOLD : FW_NORMAL;
        log.lfItalic = (m_style & fsItalic) ? TRUE : FALSE;
        log.lfUnderline = (m_style & fsUnderline) ? TRUE : FALSE;
        log.lfStrikeOut = (m_style & fsStrikeOut) ? TRUE : FALSE;
        log.lfCharSet = m_charset;
        log.lfOutPrecision = OUT_DEFAULT_PRECIS;
        log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        log.lfQuality = DEFAULT_QUALITY;
        log.lfPitchAndFamily = DEFAULT_PITCH;
        std::strncpy(log.lfFaceName, m_name.c_str(), LF_FACESIZE - 1);
        m_handle.Reset(CreateFontIndirectA(&log));
        if (!m_handle)
            throw EOutOfResources("Out of system resources");
    }
    return m_handle.Get();
}

void TFont::Changed(bool handleChanged)
{
    // The old font is freed only after the listeners (a canvas that has it selected)
    // have let go of it: GDI does not delete an object that is still selected.
    FontHandle old;
    if (handleChanged)
        old = std::move(m_handle);
    Fire(OnChange, this);
}

// ---------------------------------------------------------------------------------------
// TBrush

void TBrush::SetColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    Changed();
}

void TBrush::Assign(const TPersistent* source)
{
    const auto* brush = dynamic_cast<const TBrush*>(source);
    if (!brush) {
        TPersistent::Assign(source);
        return;
    }
    if (brush->m_color == m_color && brush->m_style == m_style)
        return;
    m_color = brush->m_color;
    m_style = brush->m_style;
    Changed();
}

HBRUSH TBrush::Handle()
{
    if (!m_handle) {
        LOGBRUSH log{};
        log.lbStyle = m_style == bsClear ? BS_HOLLOW : BS_SOLID;
        log.lbColor = ColorToRGB(m_color);
        m_handle.Reset(CreateBrushIndirect(&log));
        if (!m_handle)
            throw EOutOfResources("Out of system resources");
    }
    return m_handle.Get();
}

void TBrush::Changed()
{
    BrushHandle old = std::move(m_handle);  // freed after listeners deselected it
    Fire(OnChange, this);
}

// ---------------------------------------------------------------------------------------
// TCanvas

TCanvas::TCanvas() : m_font(std::make_unique<TFont>()), m_brush(std::make_unique<TBrush>())
{
    m_font->OnChange = Bind(this, &TCanvas::FontChanged);
    m_brush->OnChange = Bind(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas()
{
    DeselectHandles();
}

HDC TCanvas::Handle()
{
    RequireState(csFont | csBrush);
    return m_handle;
}

HDC TCanvas::BareHandle()
{
    RequireState(0);
    return m_handle;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == m_handle)
        return;
    DeselectHandles();
    m_handle = dc;
}

void TCanvas::RequireState(unsigned state)
{
    NoteGdiBatchPending();  // the caller is about to draw on the DC
    if (!m_handle) {
        CreateHandle();
        if (!m_handle)
            throw Exception("Canvas does not allow drawing");
    }
    const unsigned missing = state & ~m_state;
    if (missing & csFont) {
        HGDIOBJ previous = SelectObject(m_handle, m_font->Handle());
        if (!m_originalFont)
            m_originalFont = previous;
        SetTextColor(m_handle, ColorToRGB(m_font->Color()));
        m_state |= csFont;
    }
    if (missing & csBrush) {
        HGDIOBJ previous = SelectObject(m_handle, m_brush->Handle());
        if (!m_originalBrush)
            m_originalBrush = previous;
        SetBkColor(m_handle, ColorToRGB(m_brush->Color()));
        SetBkMode(m_handle, m_brush->Style() == bsSolid ? OPAQUE : TRANSPARENT);
        m_state |= csBrush;
    }
}

void TCanvas::DeselectHandles()
{
    if (m_handle) {
        if (m_originalFont)
            SelectObject(m_handle, m_originalFont);
        if (m_originalBrush)
            SelectObject(m_handle, m_originalBrush);
    }
    m_originalFont = nullptr;
    m_originalBrush = nullptr;
    m_state = 0;
}

void TCanvas::FontChanged(TObject*)
{
    if ((m_state & csFont) && m_originalFont) {
        SelectObject(m_handle, m_originalFont);
        m_originalFont = nullptr;
    }
    m_state &= ~csFont;
}

void TCanvas::BrushChanged(TObject*)
{
    if ((m_state & csBrush) && m_originalBrush) {
        SelectObject(m_handle, m_originalBrush);
        m_originalBrush = nullptr;
    }
    m_state &= ~csBrush;
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
    HDC target = Handle();
    HDC from = source->BareHandle();  // a source lends its pixels only
    StretchBlt(target, dest.Left, dest.Top, dest.Width(), dest.Height(), from, sourceRect.Left,
               sourceRect.Top, sourceRect.Width(), sourceRect.Height(), m_copyMode);
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    graphic->Draw(this, TRect(x, y, x + graphic->Width(), y + graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    graphic->Draw(this, rect);
    Changed();
}

void TCanvas::FillRect(const TRect& rect)
{
    RequireState(csBrush);
    if (m_brush->Style() == bsClear)
        return;
    const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    ::FillRect(m_handle, &r, m_brush->Handle());
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    RequireState(csFont | csBrush);
    ExtTextOutA(m_handle, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

int TCanvas::TextWidth(const std::string& text)
{
    RequireState(csFont);
    SIZE size{};
    GetTextExtentPoint32A(m_handle, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

int TCanvas::TextHeight(const std::string& text)
{
    RequireState(csFont);
    SIZE size{};
    GetTextExtentPoint32A(m_handle, text.data(), static_cast<int>(text.size()), &size);
    return size.cy;
}

// ---------------------------------------------------------------------------------------
// TGraphic

void TGraphic::SetTransparent(bool value)
{
    if (value == m_transparent)
        return;
    m_transparent = value;
    Changed();
}

void TGraphic::SetModified(bool value)
{
    if (value)
        Changed();
    else
        m_modified = false;
}

void TGraphic::Changed()
{
    m_modified = true;
    Fire(OnChange, this);
}
