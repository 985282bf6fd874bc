#include "app/ArtScale.h"

#include "app/PngReader.h"
#include "framework/Graphics.h"

ArtScale ArtScale::ForDpi(int dpi)
{
    for (int percent : kPercents)
        if (dpi * 100 <= percent * 96)
            return ArtScale(percent);
    return ArtScale(100);
}

int ArtScale::operator()(int value) const
{
    const long long scaled = static_cast<long long>(value) * m_percent;
    return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : (scaled - 50) / 100);
}

TPoint ArtScale::operator()(TPoint point) const
{
    return TPoint((*this)(point.X), (*this)(point.Y));
}

TRect ArtScale::operator()(const TRect& rect) const
{
    return TRect((*this)(rect.Left), (*this)(rect.Top), (*this)(rect.Right), (*this)(rect.Bottom));
}

std::string ArtScale::Folder() const
{
    if (m_percent == 100)
        return ResourceFolder();
    return ResourceFolder() + std::to_string(m_percent) + "\\";
}

void ScaleFont(TFont* font, const ArtScale& scale)
{
    font->SetHeight(scale(font->Height()));
}
