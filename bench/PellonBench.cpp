// pellon_bench.exe: one line per figure of the performance table, each a subject timed
// side by side with its baseline in this process (see Bench.h).
//   pellon_bench.exe [--smoke] [--kernels sse2|avx2|avx512] [glow|blend|refresh|program ...]
// --smoke: a few short rounds, to see that it runs; --kernels: the blend kernels at most
// this wide (default: the widest the processor has); names pick groups (default: all).
#include "bench/BareRequests.h"
#include "bench/Bench.h"
#include "bench/ProgramBench.h"
#include "framework/Bitmap.h"
#include "src/Oc/PtmLib.h"
#include "src/gui/Painter/TextPainter.h"
#include "src/gui/graphics/image.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::unique_ptr<TBitmap> NewBitmap(TPixelFormat format, int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(format);
    bitmap->SetSize(width, height);
    return bitmap;
}

// A skin picture the size of the main window: an opaque body, a soft fringe of partial
// alpha around it (shadow and anti-aliased edge) and transparent corners.
std::unique_ptr<TBitmap> SkinPicture(int width, int height)
{
    auto skin = NewBitmap(pf32bit, width, height);
    const int fringe = 12;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = skin->ScanLine(y);
        for (int x = 0; x < width; ++x, p += 4) {
            const int edge = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
            const int alpha = edge >= fringe ? 255 : edge * 255 / fringe;
            p[0] = static_cast<uint8_t>(x * 255 / width);
            p[1] = static_cast<uint8_t>(y * 255 / height);
            p[2] = static_cast<uint8_t>(128 + (x ^ y) % 64);
            p[3] = static_cast<uint8_t>((x / 40 + y / 40) % 7 == 0 ? 0 : alpha);
        }
    }
    return skin;
}

std::unique_ptr<TBitmap> NoisePicture(TPixelFormat format, int width, int height, unsigned seed)
{
    auto picture = NewBitmap(format, width, height);
    std::mt19937 random(seed);
    const int step = format == pf24bit ? 3 : 4;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = picture->ScanLine(y);
        for (int i = 0; i < width * step; ++i)
            p[i] = static_cast<uint8_t>(random());
    }
    return picture;
}

// The bytes of a pf32bit picture (its rows have no padding).
size_t ByteSize(TBitmap* bitmap)
{
    return static_cast<size_t>(bitmap->Width()) * 4 * static_cast<size_t>(bitmap->Height());
}

void GlowLines(const BenchOptions& options)
{
    const char* caption = "Performance Mode";
    const UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
    struct Line {
        const char* what;
        uint32_t radius;
        uint8_t spread;
        double goal;        // a repaint, the glow kept
        double newCaption;  // a caption drawn for the first time
    };
    for (const Line& line : {Line{"glow caption, radius 5, opacity 160, vs DrawText", 5, 0, 1.5, 2.5},
                             Line{"glow caption, radius 2, spread 255, vs DrawText", 2, 255, 1.5, 2}}) {
        std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> painter(
            new TOuterGlowTextPainter);
        painter->Radius = line.radius;
        painter->Opacity = 160;
        painter->Spread = line.spread;
        auto target = NewBitmap(pf24bit, 160, 40);
        TCanvas* canvas = target->Canvas();
        canvas->Font()->SetName("Arial");
        canvas->Font()->SetHeight(-11);
        canvas->Font()->SetStyle(fsBold);
        canvas->Font()->SetColor(clWhite);
        canvas->Brush()->SetColor(RGBColor(40, 60, 90));
        canvas->FillRect(TRect(0, 0, 160, 40));
        TRect rect(0, 0, 0, 0);
        painter->CalcRect(canvas, caption, rect, format);
        // The glow starts from the background each time, as a repaint does; the copy
        // that restores it is counted in the glow's time.
        const size_t size = 160 * 3 * 40;
        std::vector<uint8_t> background(target->ScanLine(0), target->ScanLine(0) + size);
        const PairFigure figure = MeasurePair(
            [&] {
                std::memcpy(target->ScanLine(0), background.data(), size);
                painter->DrawText(target.get(), caption, rect, format, false);
            },
            [&] { TTextPainter::Shared()->DrawText(target.get(), caption, rect, format, false); },
            options);
        PrintFigure(line.what, figure, line.goal);

        // A repaint finds the glow of the same caption kept; a caption drawn for the first
        // time pays for all of it. Two captions in turn show that cost.
        const char* captions[] = {caption, "Power Saving Mode"};
        int turn = 0, plainTurn = 0;
        const PairFigure first = MeasurePair(
            [&] {
                std::memcpy(target->ScanLine(0), background.data(), size);
                painter->DrawText(target.get(), captions[turn ^= 1], rect, format, false);
            },
            [&] {
                TTextPainter::Shared()->DrawText(target.get(), captions[plainTurn ^= 1], rect,
                                                 format, false);
            },
            options);
        PrintFigure(std::string("  the same, a new caption each time (not kept)"), first,
                    line.newCaption);
    }
}

// Each blend starts from a fresh copy of the background, as a render does (blending
// onto the same pixels again and again would drive them to the source's colours); the
// copy is counted in the subject.
void BlendLines(const BenchOptions& options)
{
    {
        // The disabled bar: a layer with alpha 180 everywhere over the bar picture.
        auto bar = NoisePicture(pf32bit, 16, 184, 1);
        auto veil = NoisePicture(pf32bit, 16, 184, 2);
        FillAlpha(veil.get(), 180);
        auto work = NoisePicture(pf32bit, 16, 184, 3);
        const size_t size = ByteSize(bar.get());
        std::vector<uint8_t> copy(size);
        const uint8_t* from = veil->ScanLine(0);
        const uint8_t* fresh = bar->ScanLine(0);
        uint8_t* target = work->ScanLine(0);
        const PairFigure figure = MeasurePair(
            [&] {
                std::memcpy(target, fresh, size);
                BlendAlpha32Whole(work.get(), veil.get(), 255);
            },
            [&] { std::memcpy(copy.data(), from, size); }, options);
        PrintFigure("BlendAlpha32Whole 16 x 184 bar (alpha 180) vs memcpy", figure, 4);
    }
    struct Picture {
        const char* what;
        std::unique_ptr<TBitmap> source;
        double goal;
    };
    Picture pictures[] = {
        {"BlendAlphaWhole 800 x 347 skin picture vs memcpy", SkinPicture(800, 347), 4},
        {"  the same, every alpha at random (no opaque or clear pixel)",
         NoisePicture(pf32bit, 800, 347, 4), 6},
    };
    auto original = NoisePicture(pf24bit, 800, 347, 5);
    auto background = NoisePicture(pf24bit, 800, 347, 6);
    const size_t backgroundSize = 800 * 3 * 347;  // rows of 2400 bytes need no padding
    const uint8_t* fresh = original->ScanLine(0);
    uint8_t* target = background->ScanLine(0);
    for (Picture& picture : pictures) {
        std::vector<uint8_t> copy(ByteSize(picture.source.get()));
        const uint8_t* from = picture.source->ScanLine(0);
        const PairFigure figure = MeasurePair(
            [&] {
                std::memcpy(target, fresh, backgroundSize);
                BlendAlphaWhole(background.get(), picture.source.get(), 255);
            },
            [&] { std::memcpy(copy.data(), from, copy.size()); }, options);
        PrintFigure(picture.what, figure, picture.goal);
    }
}

void RefreshLine(const BenchOptions& options)
{
    PtmLib& monitor = PtmLib::Instance();
    BareRequests bare;
    const char* what = "Refresh vs the bare library read and 8 device requests";
    if (!bare.Open() || monitor.PhaseCount() == 0) {
        ++BareRequests::FailedRequests();
        PrintWaiting(what, "<= 1.03 x", "no simulated board here");
        return;
    }
    const PairFigure figure = MeasurePair([&] { monitor.Refresh(); }, [&] { bare.Run(); }, options);
    PrintFigure(what, figure, 1.03);
}

}  // namespace

int main(int argc, char** argv)
{
    BenchOptions options;
    std::vector<std::string> groups;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            options.rounds = 5;
            options.roundMicros = 200;
            options.smoke = true;
        } else if (std::strcmp(argv[i], "--kernels") == 0 && i + 1 < argc) {
            const std::string kind = argv[++i];
            UseBlendKernels(kind == "sse2"   ? BlendKernels::Sse2
                            : kind == "avx2" ? BlendKernels::Avx2
                                             : BlendKernels::Avx512);
        } else {
            groups.push_back(argv[i]);
        }
    }
    auto wanted = [&](const char* group) {
        return groups.empty() || std::find(groups.begin(), groups.end(), group) != groups.end();
    };
    std::printf("%-58s %13s %13s %9s\n", "figure (medians of alternating rounds)", "subject",
                "baseline", "ratio");
    if (wanted("glow"))
        GlowLines(options);
    if (wanted("blend"))
        BlendLines(options);
    if (wanted("refresh"))
        RefreshLine(options);
    if (wanted("program"))
        ProgramLines(options);
    if (BareRequests::FailedRequests() > 0) {
        std::printf("baseline device requests failed: %u\n", BareRequests::FailedRequests());
        return 1;
    }
    return 0;
}
