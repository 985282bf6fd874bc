#include "framework/Bitmap.h"
#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/SysUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace {

struct ChangeCounter {
    int count = 0;
    TNotifyEvent Handler()
    {
        return [this](TObject*) { ++count; };
    }
};

// Writes a pattern whose every pixel differs: blue x, green y, red x ^ y, alpha x + y.
void Paint(TBitmap& bitmap)
{
    const int step = bitmap.PixelFormat() == pf24bit ? 3 : 4;
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            uint8_t* p = row + x * step;
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = static_cast<uint8_t>(x ^ y);
            if (step == 4)
                p[3] = static_cast<uint8_t>(x + y);
        }
    }
}

// Blue, green, red, and alpha (-1 for a 24-bit bitmap).
std::vector<int> Pixel(TBitmap& bitmap, int x, int y)
{
    const bool wide = bitmap.PixelFormat() != pf24bit;
    const uint8_t* p = bitmap.ScanLine(y) + x * (wide ? 4 : 3);
    return {p[0], p[1], p[2], wide ? p[3] : -1};
}

}  // namespace

TEST(Bitmap, PixelFormatConversionKeepsColours)
{
    struct Case {
        TPixelFormat from, to;
        bool alphaKept;
    };
    const Case cases[] = {
        {pf24bit, pf32bit, false}, {pf32bit, pf24bit, false}, {pf32bit, pfDevice, true},
        {pfDevice, pf24bit, false},
    };
    for (const Case& c : cases) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(c.from);
        bitmap.SetSize(37, 5);  // odd width: 24-bit rows are padded
        if (c.from != pfDevice) {
            Paint(bitmap);
        } else {
            bitmap.SetPixelFormat(pf32bit);
            Paint(bitmap);
            bitmap.SetPixelFormat(pfDevice);
        }
        bitmap.SetPixelFormat(c.to);
        ASSERT_EQ(c.to, bitmap.PixelFormat());
        if (c.to == pfDevice)
            bitmap.SetPixelFormat(pf32bit);  // read the device pixels back in a known layout
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 37; ++x) {
                const std::vector<int> p = Pixel(bitmap, x, y);
                ASSERT_EQ(x, p[0]) << c.from << "->" << c.to;
                ASSERT_EQ(y, p[1]);
                ASSERT_EQ(x ^ y, p[2]);
                if (c.alphaKept) {
                    ASSERT_EQ(x + y, p[3]);
                } else if (c.to == pf32bit) {
                    ASSERT_EQ(0, p[3]);  // 24-bit has no alpha to keep
                }
            }
    }
}

TEST(Bitmap, ScanLineRowZeroIsTheTopRow)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(4, 3);
    bitmap.Canvas()->Brush()->SetColor(RGBColor(10, 20, 30));
    bitmap.Canvas()->FillRect(TRect(0, 0, 4, 1));
    EXPECT_EQ((std::vector<int>{30, 20, 10, -1}), Pixel(bitmap, 3, 0));
    EXPECT_EQ((std::vector<int>{0, 0, 0, -1}), Pixel(bitmap, 3, 2));
    EXPECT_EQ(bitmap.ScanLine(0) + 12, bitmap.ScanLine(1));  // 4 x 3 bytes, no padding
    EXPECT_THROW(bitmap.ScanLine(3), Exception);
    EXPECT_THROW(bitmap.ScanLine(-1), Exception);
    TBitmap empty;
    EXPECT_THROW(empty.ScanLine(0), Exception);
}

TEST(Bitmap, ResizeKeepsTheOverlapAndClearsTheRest)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(6, 6);
    Paint(bitmap);
    bitmap.SetSize(3, 8);
    EXPECT_EQ((std::vector<int>{2, 5, 7, 7}), Pixel(bitmap, 2, 5));
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), Pixel(bitmap, 2, 7));
    bitmap.SetSize(-4, 2);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(nullptr, bitmap.Handle());
}

TEST(Bitmap, OnChangeFiresForEveryChangeMadeThroughTheFramework)
{
    TBitmap bitmap;
    ChangeCounter changes;
    bitmap.OnChange = changes.Handler();
    struct Step {
        const char* what;
        std::function<void()> action;
        int fired;
    };
    TBitmap other;
    other.SetSize(2, 2);
    const Step steps[] = {
        {"size", [&] { bitmap.SetSize(8, 8); }, 1},
        {"same size", [&] { bitmap.SetSize(8, 8); }, 0},
        {"format", [&] { bitmap.SetPixelFormat(pf32bit); }, 1},
        {"same format", [&] { bitmap.SetPixelFormat(pf32bit); }, 0},
        {"fill", [&] { bitmap.Canvas()->FillRect(TRect(0, 0, 2, 2)); }, 1},
        {"text", [&] { bitmap.Canvas()->TextOut(0, 0, "A"); }, 1},
        {"copy", [&] { bitmap.Canvas()->CopyRect(TRect(0, 0, 2, 2), other.Canvas(), TRect(0, 0, 2, 2)); }, 1},
        {"draw", [&] { bitmap.Canvas()->Draw(1, 1, &other); }, 1},
        {"scan line", [&] { bitmap.ScanLine(0)[0] = 1; }, 0},
        {"modified", [&] { bitmap.SetModified(true); }, 1},
        {"transparent colour", [&] { bitmap.SetTransparentColor(clRed); }, 1},
        {"transparent", [&] { bitmap.SetTransparent(true); }, 1},
        {"assign", [&] { bitmap.Assign(&other); }, 1},
        {"assign nothing", [&] { bitmap.Assign(nullptr); }, 1},
    };
    for (const Step& step : steps) {
        changes.count = 0;
        step.action();
        EXPECT_EQ(step.fired, changes.count) << step.what;
    }
}

TEST(Bitmap, TransparentColorIsTheBottomLeftPixelUnlessFixed)
{
    TBitmap bitmap;
    EXPECT_EQ(clDefault, bitmap.TransparentColor());
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(3, 3);
    uint8_t* bottom = bitmap.ScanLine(2);
    bottom[0] = 0x33;  // blue
    bottom[1] = 0x22;
    bottom[2] = 0x11;  // red
    EXPECT_EQ(tmAuto, bitmap.TransparentMode());
    EXPECT_EQ(0x02332211, bitmap.TransparentColor());
    bitmap.SetTransparentColor(clLime);
    EXPECT_EQ(tmFixed, bitmap.TransparentMode());
    EXPECT_EQ(0x0200FF00, bitmap.TransparentColor());
    bitmap.SetTransparentMode(tmAuto);
    EXPECT_EQ(0x02332211, bitmap.TransparentColor());
}

TEST(Bitmap, AssignCopiesPixelsFormatAndTransparency)
{
    TBitmap source;
    source.SetPixelFormat(pf32bit);
    source.SetSize(5, 4);
    Paint(source);
    source.SetTransparentColor(clBlue);
    TBitmap copy;
    copy.Assign(&source);
    EXPECT_EQ(pf32bit, copy.PixelFormat());
    EXPECT_EQ(5, copy.Width());
    EXPECT_EQ(4, copy.Height());
    EXPECT_EQ(Pixel(source, 4, 3), Pixel(copy, 4, 3));
    EXPECT_EQ(source.TransparentColor(), copy.TransparentColor());
    copy.ScanLine(0)[0] = 99;  // the copy has its own pixels
    EXPECT_EQ(0, source.ScanLine(0)[0]);
}

// Into a bitmap of the same shape (its image is reused), of another size and of another
// format: every pixel, drawn on the target's canvas before or on the source's, is the
// source's afterwards, and the target's canvas draws into the new pixels.
TEST(Bitmap, AssignOverAnImageCopiesEveryPixel)
{
    TBitmap source;
    source.SetPixelFormat(pf32bit);
    source.SetSize(5, 4);
    Paint(source);
    source.Canvas()->Brush()->SetColor(clRed);
    source.Canvas()->FillRect(TRect(1, 1, 3, 2));
    for (auto [format, width] : {std::pair{pf32bit, 5}, {pf32bit, 7}, {pf24bit, 5}}) {
        TBitmap copy;
        copy.SetPixelFormat(format);
        copy.SetSize(width, 4);
        copy.Canvas()->Brush()->SetColor(clLime);
        copy.Canvas()->FillRect(TRect(0, 0, width, 4));
        copy.Assign(&source);
        ASSERT_EQ(5, copy.Width());
        for (int y = 0; y < 4; ++y)
            EXPECT_EQ(0, std::memcmp(source.ScanLine(y), copy.ScanLine(y), 20)) << width << " row " << y;
        copy.Canvas()->Brush()->SetColor(clBlue);
        copy.Canvas()->FillRect(TRect(0, 0, 1, 1));
        EXPECT_EQ(0xFFu, copy.ScanLine(0)[0]) << width;
        EXPECT_NE(0xFFu, source.ScanLine(0)[0]);
    }
}

TEST(Canvas, DrawBlitsAndCutsOutTheTransparentColour)
{
    TBitmap sprite;
    sprite.SetPixelFormat(pf24bit);
    sprite.SetSize(2, 2);
    sprite.Canvas()->Brush()->SetColor(clLime);
    sprite.Canvas()->FillRect(TRect(0, 0, 2, 2));
    sprite.Canvas()->Brush()->SetColor(clRed);
    sprite.Canvas()->FillRect(TRect(0, 0, 1, 1));  // top-left red, the rest lime

    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(6, 2);
    target.Canvas()->Brush()->SetColor(clBlue);
    target.Canvas()->FillRect(TRect(0, 0, 6, 2));
    target.Canvas()->Draw(0, 0, &sprite);
    sprite.SetTransparent(true);  // bottom-left lime is cut out
    target.Canvas()->Draw(2, 0, &sprite);
    target.Canvas()->StretchDraw(TRect(4, 0, 5, 1), &sprite);

    EXPECT_EQ((std::vector<int>{0, 0, 255, -1}), Pixel(target, 0, 0));
    EXPECT_EQ((std::vector<int>{0, 255, 0, -1}), Pixel(target, 1, 1));
    EXPECT_EQ((std::vector<int>{0, 0, 255, -1}), Pixel(target, 2, 0));
    EXPECT_EQ((std::vector<int>{255, 0, 0, -1}), Pixel(target, 3, 1));
    EXPECT_EQ((std::vector<int>{255, 0, 0, -1}), Pixel(target, 5, 0));
}

// Drawing a 24- or 32-bit bitmap 1:1 into a 32-bit bitmap's canvas copies the rows itself
// where the DC allows it; GDI draws the same scene behind a DC in the advanced mode. Moved
// origins, edges, clips and a clip that is no rectangle all give GDI's bytes.
TEST(Canvas, DrawIntoA32BitBitmapGivesGdiBytes)
{
    for (const std::pair<TPixelFormat, int>& kind :
         {std::make_pair(pf24bit, 13), std::make_pair(pf32bit, 13), std::make_pair(pf24bit, 34)}) {
        const TPixelFormat format = kind.first;
        TBitmap sprite;
        sprite.SetPixelFormat(format);
        // 13: 24-bit rows end in padding, after fewer than four pixels; 34: two runs of
        // sixteen pixels the wide copy takes, and two after them.
        sprite.SetSize(kind.second, 9);
        Paint(sprite);
        TBitmap scene;
        scene.SetPixelFormat(pf32bit);
        scene.SetSize(37, 23);
        Paint(scene);
        auto paint = [&](HDC dc) {
            TCanvas canvas;
            canvas.SetHandle(dc);
            canvas.Draw(1, 2, &sprite);
            canvas.Draw(30, 18, &sprite);  // past the right and bottom edges
            canvas.Draw(-5, -4, &sprite);  // past the left and top ones
            {
                SavedDC saved(dc);
                SetWindowOrgEx(dc, 2, 1, nullptr);
                SetViewportOrgEx(dc, 7, -4, nullptr);
                IntersectClipRect(dc, 3, 8, 26, 20);
                canvas.Draw(4, 5, &sprite);
                ExcludeClipRect(dc, 10, 10, 12, 12);
                canvas.Draw(14, 9, &sprite);
                IntersectClipRect(dc, 0, 0, 0, 0);
                canvas.Draw(14, 9, &sprite);
            }
            canvas.SetHandle(nullptr);
        };
        TBitmap direct;
        direct.Assign(&scene);
        paint(direct.Canvas()->Handle());
        TBitmap gdi;
        gdi.Assign(&scene);
        HDC gdiDC = gdi.Canvas()->Handle();
        SetGraphicsMode(gdiDC, GM_ADVANCED);
        paint(gdiDC);
        int changed = 0, wrong = 0;
        for (int y = 0; y < scene.Height(); ++y)
            for (int x = 0; x < scene.Width(); ++x) {
                changed += Pixel(gdi, x, y) != Pixel(scene, x, y);
                wrong += Pixel(direct, x, y) != Pixel(gdi, x, y);
            }
        EXPECT_GT(changed, 300) << format << " " << kind.second;
        EXPECT_EQ(0, wrong) << format << " " << kind.second;
    }
}

TEST(Canvas, CopyRectStretchesWithTheCopyMode)
{
    TBitmap source;
    source.SetPixelFormat(pf24bit);
    source.SetSize(1, 1);
    source.ScanLine(0)[1] = 200;
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(4, 4);
    target.Canvas()->CopyRect(TRect(1, 1, 3, 3), source.Canvas(), TRect(0, 0, 1, 1));
    EXPECT_EQ((std::vector<int>{0, 200, 0, -1}), Pixel(target, 2, 2));
    EXPECT_EQ((std::vector<int>{0, 0, 0, -1}), Pixel(target, 3, 3));
    target.Canvas()->SetCopyMode(WHITENESS);
    target.Canvas()->CopyRect(TRect(0, 0, 1, 1), source.Canvas(), TRect(0, 0, 1, 1));
    EXPECT_EQ((std::vector<int>{255, 255, 255, -1}), Pixel(target, 0, 0));
}

TEST(Canvas, TextUsesTheFontColourAndMeasuresWithTheFont)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(40, 20);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(TRect(0, 0, 40, 20));
    canvas->Font()->SetColor(clRed);
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(0, 0, "W");
    int red = 0, other = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const std::vector<int> p = Pixel(bitmap, x, y);
            red += p[2] > 0 && p[0] == 0 && p[1] == 0;
            other += p[0] != 0 || p[1] != 0;
        }
    EXPECT_GT(red, 5);
    EXPECT_EQ(0, other);

    const int narrow = canvas->TextWidth("i");
    const int wide = canvas->TextWidth("WWWW");
    EXPECT_GT(wide, narrow);
    EXPECT_EQ(0, canvas->TextWidth(""));
    const int height = canvas->TextHeight("Ag");
    canvas->Font()->SetHeight(-22);
    EXPECT_GT(canvas->TextHeight("Ag"), height + 5);
}

TEST(Canvas, BorrowedDCGetsItsOwnObjectsBack)
{
    MemoryDC dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ font = GetCurrentObject(dc.Get(), OBJ_FONT);
    const HGDIOBJ brush = GetCurrentObject(dc.Get(), OBJ_BRUSH);
    {
        TCanvas canvas;
        canvas.SetHandle(dc.Get());
        canvas.FillRect(TRect(0, 0, 1, 1));
        canvas.TextWidth("x");
        EXPECT_NE(font, GetCurrentObject(dc.Get(), OBJ_FONT));
        canvas.Font()->SetStyle(fsBold);  // the selected font is replaced
        canvas.TextWidth("x");
        canvas.SetHandle(nullptr);
        EXPECT_EQ(font, GetCurrentObject(dc.Get(), OBJ_FONT));
        EXPECT_EQ(brush, GetCurrentObject(dc.Get(), OBJ_BRUSH));
        canvas.SetHandle(dc.Get());
        canvas.FillRect(TRect(0, 0, 1, 1));
    }
    EXPECT_EQ(brush, GetCurrentObject(dc.Get(), OBJ_BRUSH));
    TCanvas unattached;
    EXPECT_THROW(unattached.Handle(), Exception);
}

TEST(Font, PropertiesAssignAndHandle)
{
    TFont font;
    ChangeCounter changes;
    font.OnChange = changes.Handler();
    EXPECT_EQ(-11, font.Height());
    font.SetSize(12);
    EXPECT_EQ(-MulDiv(12, ScreenPixelsPerInch(), 72), font.Height());
    EXPECT_EQ(12, font.Size());
    font.SetSize(12);
    EXPECT_EQ(1, changes.count);

    const HFONT first = font.Handle();
    EXPECT_EQ(first, font.Handle());
    font.SetColor(clRed);  // colour is not part of the GDI font
    EXPECT_EQ(first, font.Handle());
    font.SetStyle(fsBold | fsItalic);
    EXPECT_EQ(0u, GetObjectType(first));  // the old font was freed
    LOGFONTA log{};
    GetObjectA(font.Handle(), sizeof log, &log);
    EXPECT_EQ(FW_BOLD, log.lfWeight);
    EXPECT_TRUE(log.lfItalic);
    EXPECT_FALSE(log.lfUnderline);

    TFont copy;
    copy.Assign(&font);
    EXPECT_EQ(font.Name(), copy.Name());
    EXPECT_EQ(font.Height(), copy.Height());
    EXPECT_EQ(clRed, copy.Color());
    EXPECT_EQ(fsBold | fsItalic, copy.Style());
    EXPECT_THROW(copy.Assign(static_cast<TPersistent*>(nullptr)), EConvertError);
}

TEST(Picture, BitmapIsMadeOnceAndReportsItsChanges)
{
    TPicture picture;
    ChangeCounter changes;
    picture.OnChange = changes.Handler();
    EXPECT_EQ(nullptr, picture.Graphic());
    EXPECT_EQ(0, picture.Width());
    TBitmap* bitmap = picture.Bitmap();
    EXPECT_EQ(bitmap, picture.Bitmap());
    bitmap->SetSize(7, 3);
    EXPECT_EQ(7, picture.Width());
    EXPECT_EQ(3, picture.Height());

    TBitmap other;
    other.SetSize(2, 9);
    picture.Assign(&other);
    EXPECT_EQ(bitmap, picture.Bitmap());  // assigned into the same bitmap
    EXPECT_EQ(9, picture.Height());

    TPicture copy;
    copy.Assign(&picture);
    EXPECT_EQ(2, copy.Width());
    TBitmap out;
    out.Assign(&copy);
    EXPECT_EQ(9, out.Height());
    EXPECT_EQ(3, changes.count);  // made, resized, assigned; copying out changes nothing
    picture.Assign(nullptr);
    EXPECT_EQ(nullptr, picture.Graphic());
    EXPECT_EQ(4, changes.count);
}

namespace {

// How the system decodes a bitmap resource: LoadImage, then a blit into 24 bits. Wine's
// LoadImage leaves top-down rows black: those resources hold the pixels of their
// bottom-up twins, which stand in for them here.
void LoadThroughTheSystem(TBitmap* bitmap, const char* name)
{
    std::string twin = name;
    const size_t topDown = twin.find("_TOPDOWN");
    if (topDown != std::string::npos)
        twin.replace(topDown, std::string::npos, "_BOTTOMUP");
    name = twin.c_str();
    auto* loaded = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0,
                                                   LR_CREATEDIBSECTION));
    ASSERT_NE(nullptr, loaded) << name;
    BITMAP info{};
    GetObjectA(loaded, sizeof info, &info);
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, loaded);
    BitBlt(picture.Canvas()->Handle(), 0, 0, picture.Width(), picture.Height(), dc, 0, 0, SRCCOPY);
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(loaded);
    bitmap->Assign(&picture);
}

void LoadFromProgram(TBitmap* bitmap, const char* name)
{
    LoadBitmapFromResource(bitmap, GetModuleHandleA(nullptr), name);
}

}  // namespace

// Every layout of Bitmaps.rc, loaded and then used in each way, against the same steps
// on the system's decoding: shape, format, every byte of every row (padding too),
// cut-out colour, transparency settings and changes reported.
TEST(Resources, BitmapsLoadAsTheSystemDecodesThem)
{
    using Load = void (*)(TBitmap*, const char*);
    struct Use {
        const char* what;
        std::function<void(TBitmap&, Load, const char*)> apply;
    };
    const Use uses[] = {
        {"as loaded", [](TBitmap&, Load, const char*) {}},
        {"grown", [](TBitmap& b, Load, const char*) { b.SetSize(b.Width() + 2, b.Height() + 1); }},
        {"shrunk", [](TBitmap& b, Load, const char*) { b.SetSize(b.Width() - 1, b.Height() - 1); }},
        {"emptied", [](TBitmap& b, Load, const char*) { b.SetSize(0, b.Height()); }},
        {"to 32 bits", [](TBitmap& b, Load, const char*) { b.SetPixelFormat(pf32bit); }},
        {"copied out and back",
         [](TBitmap& b, Load, const char*) {
             TBitmap copy;
             copy.Assign(&b);
             b.SetSize(1, 1);
             b.Assign(&copy);
         }},
        {"drawn",
         [](TBitmap& b, Load, const char*) {
             TBitmap target;
             target.SetPixelFormat(pf32bit);
             target.SetSize(b.Width(), b.Height());
             target.Canvas()->Draw(0, 0, &b);
             b.Assign(&target);
         }},
        {"replaced", [](TBitmap& b, Load load, const char*) { load(&b, "PLAIN32_BOTTOMUP"); }},
        {"read, then loaded again",
         [](TBitmap& b, Load load, const char* name) {
             b.ScanLine(0)[0] ^= 0xFF;
             load(&b, name);
         }},
    };
    for (const char* name : {"PLAIN24_BOTTOMUP", "PLAIN24_TOPDOWN", "PLAIN32_BOTTOMUP", "PLAIN32_TOPDOWN",
                             "PALETTE8", "FIELDS32", "TABLE24"}) {
        for (const Use& use : uses) {
            TBitmap bitmaps[2];
            ChangeCounter changes[2];
            const Load loads[2] = {LoadFromProgram, LoadThroughTheSystem};
            for (int i = 0; i < 2; ++i) {
                bitmaps[i].SetTransparentColor(clRed);
                bitmaps[i].SetTransparent(true);
                bitmaps[i].OnChange = changes[i].Handler();
                loads[i](&bitmaps[i], name);
                EXPECT_EQ(1, changes[i].count) << name;
                EXPECT_EQ(tmAuto, bitmaps[i].TransparentMode()) << name;
                EXPECT_FALSE(bitmaps[i].Transparent()) << name;
                use.apply(bitmaps[i], loads[i], name);
            }
            TBitmap& loaded = bitmaps[0];
            TBitmap& expected = bitmaps[1];
            const std::string what = std::string(name) + ", " + use.what;
            ASSERT_EQ(expected.Width(), loaded.Width()) << what;
            ASSERT_EQ(expected.Height(), loaded.Height()) << what;
            ASSERT_EQ(expected.PixelFormat(), loaded.PixelFormat()) << what;
            EXPECT_EQ(expected.TransparentColor(), loaded.TransparentColor()) << what;
            EXPECT_EQ(changes[1].count, changes[0].count) << what;
            const int bits = expected.PixelFormat() == pf24bit ? 24 : 32;
            const size_t stride = static_cast<size_t>((expected.Width() * bits + 31) / 32 * 4);
            for (int y = 0; !expected.Empty() && y < expected.Height(); ++y)
                EXPECT_EQ(0, std::memcmp(expected.ScanLine(y), loaded.ScanLine(y), stride)) << what << ", row " << y;
        }
    }
    TBitmap missing;
    EXPECT_THROW(LoadFromProgram(&missing, "NO_SUCH_BITMAP"), EResNotFound);
}

TEST(Graphics, CreatingAndFreeingObjectsLeaksNoGdiHandles)
{
    std::vector<HGDIOBJ> made;
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(i % 2 ? pf32bit : pf24bit);
        bitmap.SetSize(16 + i % 5, 16);
        bitmap.Canvas()->Font()->SetHeight(-10 - i % 7);
        bitmap.Canvas()->Brush()->SetColor(RGBColor(i, 0, 0));
        bitmap.Canvas()->FillRect(TRect(0, 0, 8, 8));
        bitmap.Canvas()->TextOut(0, 0, "Pellon");
        made.push_back(bitmap.Handle());
        made.push_back(bitmap.Canvas()->Handle());
        made.push_back(bitmap.Canvas()->Font()->Handle());
        made.push_back(bitmap.Canvas()->Brush()->Handle());
        bitmap.SetPixelFormat(pf32bit);  // a new DIB and a new DC
        bitmap.SetSize(9, 9);
        bitmap.Canvas()->Font()->SetStyle(fsBold);
        bitmap.Canvas()->TextOut(0, 0, "Pellon");
        made.push_back(bitmap.Handle());
        made.push_back(bitmap.Canvas()->Handle());
        made.push_back(bitmap.Canvas()->Font()->Handle());
        TPicture picture;
        picture.Bitmap()->Assign(&bitmap);
        made.push_back(picture.Bitmap()->Handle());
    }
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_EQ(before, after);
    // GetGuiResources may answer 0 (Wine); every handle made must be gone either way.
    int alive = 0;
    for (HGDIOBJ object : made)
        alive += GetObjectType(object) != 0;
    EXPECT_EQ(0, alive);
}
