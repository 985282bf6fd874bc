#pragma once
// Text painters: plain text, and text with an outer glow. The glow is computed on the
// CPU: the text is rendered white on black, its luminance spread by a radial
// neighbour-weighted maximum filter, and the result becomes the alpha of a layer in the
// glow colour that is composited over the target. The glow and the letters of a caption
// are kept, and where the system's glyph levels allow it the one rendering gives both.
#include "framework/Bitmap.h"
#include "framework/Graphics.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The painters' operation is named like the system function, which windows.h turns into
// a macro; the painters call DrawTextA and DrawTextW by their own names.
#undef DrawText

// A rows x columns matrix of signed 32-bit integers reached through row pointers,
// zero-filled. The rows share one block: the glow makes two for every caption.
class IntMatrix {
public:
    IntMatrix(int rows, int columns);
    IntMatrix(IntMatrix&&) = default;
    IntMatrix& operator=(IntMatrix&&) = default;
    IntMatrix(const IntMatrix&) = delete;
    IntMatrix& operator=(const IntMatrix&) = delete;

    int Rows() const { return m_rows; }
    int Columns() const { return m_columns; }
    int32_t* operator[](int row) { return m_rowStarts[static_cast<size_t>(row)]; }
    const int32_t* operator[](int row) const { return m_rowStarts[static_cast<size_t>(row)]; }

private:
    int m_rows;
    int m_columns;
    std::unique_ptr<int32_t[]> m_cells;
    std::vector<int32_t*> m_rowStarts;
};

class Filter {
public:
    virtual ~Filter() = default;
    // The filtered value of cell (i, j) of the rows x columns area of source that starts
    // at (rowOffset, columnOffset); neighbours outside the area are not read.
    virtual int32_t FilterAt(const IntMatrix& source, int rowOffset, int columnOffset, int rows,
                             int columns, int i, int j) const = 0;
    // dest[destRow + i][destColumn + j] = FilterAt(source, ..., i, j) over the area.
    void ApplyFilter(const IntMatrix& source, int sourceRow, int sourceColumn, int rows,
                     int columns, IntMatrix& dest, int destRow, int destColumn) const;
};

// The maximum of neighbour x kernel weight over the kernel's reach, divided by divisor.
class NeighborWeightedFilter : public Filter {
public:
    NeighborWeightedFilter(IntMatrix kernel, int32_t divisor, int32_t rowRadius,
                           int32_t columnRadius);
    int32_t FilterAt(const IntMatrix& source, int rowOffset, int columnOffset, int rows,
                     int columns, int i, int j) const override;
    // Filter::ApplyFilter's figures, cell for cell, found row by row (SpreadBytes) where
    // the cells are bytes and the kernel allows it; otherwise by the cell walk.
    void ApplyFilter(const IntMatrix& source, int sourceRow, int sourceColumn, int rows,
                     int columns, IntMatrix& dest, int destRow, int destColumn) const;

    // True when SpreadBytes may be used: weights of at most the divisor and 256 (every
    // filtered value of a byte is a byte, every product fits 16 bits), each kernel row
    // the same to the left and the right of its centre, as the glow's kernels are.
    bool SpreadsBytes() const { return m_spreadsBytes; }
    // ApplyFilter's figures for a rows x columns area of byte cells, row after row
    // (source and dest each rows x columns bytes).
    void SpreadBytes(const uint8_t* source, int rows, int columns, uint8_t* dest) const;

    const IntMatrix& Kernel() const { return m_kernel; }
    int32_t Divisor() const { return m_divisor; }

private:
    // A weight of a kernel row and its distance from the row's centre column.
    struct Term {
        int distance;
        int16_t weight;
    };
    // The terms of a kernel row that can give a non-zero figure; rows with equal weights
    // share one entry, which lists the rows.
    struct RowTerms {
        std::vector<Term> terms;
        std::vector<int> rows;
    };

    // SpreadBytes for a divisor of 256, the glow's.
    void SpreadQuotients(const uint8_t* source, int rows, int columns, uint8_t* dest) const;

    IntMatrix m_kernel;
    int32_t m_divisor;
    int32_t m_rowRadius;
    int32_t m_columnRadius;
    bool m_spreadsBytes = true;
    std::vector<RowTerms> m_rowTerms;
    int m_reach = 0;  // the largest distance of a term
    // m_rowTerms for SpreadQuotients, one after the other: a weight in every lane and
    // where its distance's cells are kept; where every row's weights fall as the distance
    // grows, a run of equal weights is its last term, read over running maxima.
    struct QuotientTerm {
        uint16_t weight[8];
        int offset;
    };
    struct QuotientRow {
        int terms;  // how many of m_flatTerms, after the previous rows'
        std::vector<int> rows;
    };
    std::vector<QuotientTerm> m_flatTerms;
    std::vector<QuotientRow> m_flatRows;
    bool m_runningMaxima = false;
    // Working rows of SpreadBytes, kept from call to call.
    mutable std::vector<int16_t> m_padded;
    mutable std::vector<int16_t> m_nearest;
    mutable std::vector<int16_t> m_rowGlow;
    mutable std::vector<int16_t> m_maximum;
    mutable std::vector<uint16_t> m_cells;
    mutable std::vector<uint16_t> m_nearestCells;
    mutable std::vector<uint8_t> m_quotients;
};

class FilterFactory {
public:
    virtual ~FilterFactory() = default;
    // The filter is handed back through ReleaseFilter, never deleted by the caller.
    virtual Filter* CreateFilter(int32_t rowRadius, int32_t columnRadius) = 0;
    virtual void ReleaseFilter(Filter* filter) = 0;
};

// Makes the radial glow kernel and keeps it until Spread or Opacity changes: the radius
// is taken from the first request after each change.
class OuterGlowFilterFactory : public FilterFactory {
public:
    float Spread() const { return m_spread; }
    void SetSpread(float spread);
    float Opacity() const { return m_opacity; }
    void SetOpacity(float opacity);

    // Requires equal radii ("r == c").
    NeighborWeightedFilter* CreateFilter(int32_t r, int32_t c) override;
    // Frees the filter unless it is the cached one.
    void ReleaseFilter(Filter* filter) override;

private:
    float m_spread = 0.0f;
    float m_opacity = 1.0f;
    std::unique_ptr<NeighborWeightedFilter> m_cached;
};

// Luminance of every pixel of area (rounded 0.299 R + 0.587 G + 0.114 B); a bitmap of
// another format than pf24bit or pf32bit is converted to pf24bit first. Pixels outside
// the bitmap count as 0.
IntMatrix LuminanceMatrix(TBitmap* bitmap, const TRect& area);
// Makes the matrix (each cell clamped to at most 255, written back) the alpha of area of
// a pf32bit bitmap; pixels whose value is 0 become black on any bitmap.
void AlphaFromMatrix(TBitmap* bitmap, const TRect& area, IntMatrix& matrix);

// A painter's text, borrowed for the call: zero-terminated narrow or wide characters,
// drawn with DrawTextA or DrawTextW. A null pointer is empty text.
class TextView {
public:
    TextView(const char* text) : m_narrow(text) {}
    TextView(const wchar_t* text) : m_wide(text), m_isWide(true) {}

    bool Wide() const { return m_isWide; }
    const char* Narrow() const { return m_narrow; }
    const wchar_t* WideChars() const { return m_wide; }

private:
    const char* m_narrow = nullptr;
    const wchar_t* m_wide = nullptr;
    bool m_isWide = false;
};

// Where a painter draws, borrowed for the call: a canvas, or a bitmap, whose pixels a
// painter may also reach.
class TextTarget {
public:
    TextTarget(TCanvas* canvas) : m_canvas(canvas) {}
    TextTarget(TBitmap* bitmap) : m_bitmap(bitmap) {}

    TCanvas* Canvas() const { return m_bitmap ? m_bitmap->Canvas() : m_canvas; }
    // Null when drawing on a canvas.
    TBitmap* Bitmap() const { return m_bitmap; }

private:
    TCanvas* m_canvas = nullptr;
    TBitmap* m_bitmap = nullptr;
};

// Draws text plainly. The painters keep no state between calls apart from their public
// fields: font and colours come from the target canvas or bitmap at the time of the call.
// With asLayer false the result is drawn over what the target shows; with asLayer true
// the rectangle is replaced by a 32-bit layer (text with its coverage as alpha).
class TTextPainter {
public:
    TTextPainter() = default;
    TTextPainter(const TTextPainter&) = delete;
    TTextPainter& operator=(const TTextPainter&) = delete;

    // The painter shared by everyone who draws plain text; its Release does nothing.
    static TTextPainter* Shared();

    virtual void DrawText(TextTarget target, TextView text, const TRect& rect, UINT format,
                          bool asLayer);
    // Widens rect to hold the text and the painter's effect.
    virtual void CalcRect(TCanvas* canvas, TextView text, TRect& rect, UINT format);
    // End of use: the painters made by their users destroy themselves here.
    virtual void Release();
    virtual ~TTextPainter() = default;
};

// Deleter for painters owned through std::unique_ptr: ends their use with Release.
struct TextPainterRelease {
    void operator()(TTextPainter* painter) const
    {
        if (painter)
            painter->Release();
    }
};

// Draws the glow of the text only, in the font colour, never the letters.
class TRadiateTextPainter : public TTextPainter {
public:
    TRadiateTextPainter();

    void DrawText(TextTarget target, TextView text, const TRect& rect, UINT format,
                  bool asLayer) override;
    // Adds twice the radius to Right and Bottom of a non-empty measurement.
    void CalcRect(TCanvas* canvas, TextView text, TRect& rect, UINT format) override;
    // Destroys the painter.
    void Release() override;

    OuterGlowFilterFactory* Factory() const { return m_factory.get(); }

    uint8_t Opacity = 255;
    uint32_t Radius = 0;
    uint8_t Spread = 0;

protected:
    // The glow in the given colour (the font colour when the painter draws for itself).
    void DrawGlow(TCanvas* canvas, TextView text, const TRect& rect, UINT format,
                  bool asLayer, TColor color);
    void DrawGlow(TBitmap* bitmap, TextView text, const TRect& rect, UINT format,
                  bool asLayer, TColor color);
    void MeasureGlow(TCanvas* canvas, TextView text, TRect& rect, UINT format);
    // The glow of the rendered text in area: its luminance spread by the kernel.
    IntMatrix GlowMatrix(TBitmap* bitmap, const TRect& area);
    // Fills area with colour and gives it the glow of what area showed as alpha.
    void GlowLayer(TBitmap* bitmap, const TRect& area, TColor color);
    // Finds the glow of the text for a w x h layer (the text inset by Radius) and keeps
    // it. With letters, the same drawing also keeps the coverage of the letters that
    // DrawText gives in a w x h rectangle (see LettersFromCoverage), where the system's
    // glyph levels allow it.
    void KeepGlow(const TFont* font, TextView text, int w, int h, UINT format, TColor color,
                  bool letters);
    // The kept glow as a layer, as a new bitmap with the font would hold it: the text
    // white on black inset by Radius, then the colour with the glow as alpha. Kept from
    // call to call: a new DIB for every caption costs more than the glow itself.
    TBitmap* GlowInLayer();
    // Draws the kept letters onto target as DrawText would draw text in rect (the kept
    // glow's size) in the font colour of target's canvas; false (and nothing drawn) when
    // there are none kept or DrawText on that canvas could draw otherwise.
    bool LettersFromCoverage(TBitmap* target, TextView text, const TRect& rect, UINT format);
    // Whether the last glow kept its letters.
    bool LettersKept() const { return m_lettersKept; }

private:
    // Everything the kept glow was made from.
    struct GlowKey {
        std::string text;  // the characters' bytes
        bool wide = false;
        std::string face;
        int fontHeight = 0;
        TFontStyles style = 0;
        uint8_t charset = 0;
        int width = 0, height = 0;
        UINT format = 0;
        uint32_t radius = 0;
        uint8_t spread = 0, opacity = 0;
        const Filter* filter = nullptr;  // borrowed: the factory's kernel, compared only
        int kernelRows = 0;
        TColor color = 0;
        bool letters = false;
        bool operator==(const GlowKey& o) const
        {
            return text == o.text && wide == o.wide && face == o.face &&
                   fontHeight == o.fontHeight && style == o.style && charset == o.charset &&
                   width == o.width && height == o.height && format == o.format &&
                   radius == o.radius && spread == o.spread && opacity == o.opacity &&
                   filter == o.filter && kernelRows == o.kernelRows && color == o.color &&
                   letters == o.letters;
        }
    };
    // A pixel of the kept letters: its place from the letters' top-left, x and y in 12
    // bits each, and above them the level of coverage (2 to 16) the system drew it with.
    using LetterPixel = uint32_t;
    // A pixel where glyphs overlap: the levels do not tell what DrawText makes of it, so
    // it keeps the blue, green and red it was last drawn over and what they became.
    struct OverlapPixel {
        int16_t x, y;
        bool known;
        uint8_t before[3], after[3];
    };

    // The w x h bitmap the text is drawn in, with the font in colour.
    TBitmap* TextBitmap(int w, int h, const TFont* font, TColor colour);
    // Keeps the letters of the mask-coloured text drawn into drawn at (Radius, Radius),
    // clipped to w x h.
    void KeepLetters(TBitmap* drawn, int w, int h);

    std::unique_ptr<OuterGlowFilterFactory> m_factory;
    std::unique_ptr<TBitmap> m_text;
    std::unique_ptr<TBitmap> m_layer;
    bool m_kept = false;
    bool m_layerKept = false;  // m_layer holds the kept glow
    GlowKey m_key;
    // The layer's grey levels and their spread, kept for the next caption.
    std::vector<uint8_t> m_grey;
    std::vector<uint8_t> m_spread;
    bool m_lettersKept = false;
    std::vector<LetterPixel> m_letters;
    std::vector<OverlapPixel> m_overlaps;
    TRect m_lettersBox;  // around every kept pixel, from the letters' top-left
    COLORREF m_overlapsColour = CLR_INVALID;
    // Where DrawText draws the overlapping pixels' letters over the target's pixels.
    std::unique_ptr<TBitmap> m_overlapBitmap;
    // What each level makes of each destination component, for the letter colour.
    COLORREF m_levelsColour = CLR_INVALID;
    std::vector<uint8_t> m_levelTable;
};

// Draws the glow in Color, shifted by RadiationOffset, and the letters on top in the
// font colour.
class TOuterGlowTextPainter : public TRadiateTextPainter {
public:
    void DrawText(TextTarget target, TextView text, const TRect& rect, UINT format,
                  bool asLayer) override;
    // Adds twice the radius and the offset to Right and Bottom of a non-empty measurement.
    void CalcRect(TCanvas* canvas, TextView text, TRect& rect, UINT format) override;

    TColor Color = 0x00BFFFFF;
    TPoint RadiationOffset;

private:
    void DrawOuter(TCanvas* canvas, TextView text, const TRect& rect, UINT format,
                   bool asLayer);
    void DrawOuter(TBitmap* bitmap, TextView text, const TRect& rect, UINT format,
                   bool asLayer);
};
