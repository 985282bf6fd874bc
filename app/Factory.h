#pragma once
// The factories that turn file names, positions and a few style choices into the
// finished skinned elements of the main window and the dialog. Every element is owned
// by, and placed on, the form it is made for. Pictures come from the resource folder; a
// missing file raises EFOpenError out of the factory.
#include "app/ArtScale.h"

#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TComponent;
class TForm;
class TLabel;
class TsTrayIcon;
struct LayoutGeometry;
namespace gs {
class GsButton;
class GsImage;
class GsLabel;
class GsRadioButton;
}  // namespace gs

// Raised, sunken, hovered, disabled; an empty name leaves that state's picture unset.
struct ButtonPictures {
    const char* raised;
    const char* sunken;
    const char* hovered;
    const char* disabled;
};
// Unchecked raised, unchecked hovered, checked raised, checked hovered.
struct RadioPictures {
    const char* uncheckedRaised;
    const char* uncheckedHovered;
    const char* checkedRaised;
    const char* checkedHovered;
};

// Where elements are made: the form they are placed on, the component that owns them
// (the form, or a part of it that is freed to make them again at another scale) and
// the scale of their pictures. Positions given to the factories are 96-DPI figures; the
// factories scale them, the fonts and the glows.
struct ElementSite {
    TComponent* owner;  // borrowed
    TForm* form;        // borrowed
    ArtScale scale;
};

// Keys and texts are optional: nullptr leaves the caption or hint alone.
gs::GsButton* MakeButton(const ElementSite& site, int left, int top, const ButtonPictures& pictures,
                         const char* captionKey, const char* hintKey, TBitmap* inputBkgnd);
gs::GsRadioButton* MakeRadioButton(const ElementSite& site, int left, int top,
                                   const RadioPictures& pictures, const char* caption,
                                   const char* hint, int group, TBitmap* inputBkgnd);

// The main form's site and its Background bitmap: the input background of its buttons
// and the target of the line painting.
struct MainWindowBuilder : ElementSite {
    TBitmap* background; // borrowed
    // Pictures decoded for one element, kept while the build runs for the next element
    // that shows them (the two mode radio buttons).
    mutable std::vector<std::shared_ptr<TBitmap>> decoded;
};

// A mode label starts with the inactive colours.
gs::GsLabel* MakeModeLabel(const MainWindowBuilder& builder, int left, int top);
// The font and glow colours of the active or the inactive mode's label.
void SetModeLabelColors(gs::GsLabel* label, bool active);
// The average's value beside the legend: the legend's font, bold and bright, right-aligned.
TLabel* MakeLegendValue(const MainWindowBuilder& builder, const TLabel* legend);
gs::GsImage* MakeImage(const MainWindowBuilder& builder, const std::string& file, int left, int top);
// The notification-area entry (id 1, callback 1114, tip "Pellon").
TsTrayIcon* MakeTrayIcon(TForm* form);
gs::GsButton* MakeCloseButton(const MainWindowBuilder& builder, int left);
gs::GsRadioButton* MakeModeRadioButton(const MainWindowBuilder& builder, int left, int top);
// Blends the layout's line pictures into the background bitmap.
void PaintLines(const MainWindowBuilder& builder, const LayoutGeometry& layout);
