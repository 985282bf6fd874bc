#pragma once
// What the controller does, behind the Director facade.
#include "app/ArtScale.h"
#include "app/ControllerServices.h"
#include "app/DesignedControls.h"
#include "app/DirectorLayout.h"
#include "app/MainWindowParts.h"
#include "app/ReadingTexts.h"
#include "framework/Classes.h"
#include "framework/Controls.h"

#include <cstdint>
#include <memory>
#include <vector>

class PellonBar;
class TComponent;
class TLabel;
class TDropShadowForm;
namespace gs {
class GsButton;
class GsLabel;
class GsRadioButton;
class TLayeredFormMaker;
}  // namespace gs

class DirectorImp {
public:
    DirectorImp(const MainWindowParts& parts, TDropShadowForm* shadow,
                std::unique_ptr<ControllerServices> services);
    ~DirectorImp();
    DirectorImp(const DirectorImp&) = delete;
    DirectorImp& operator=(const DirectorImp&) = delete;

    void Build();
    void UpdateBars();
    void Resume();
    void ShowMainWindow();
    void HideMainWindow();
    void ApplyMode(std::uint32_t mode);

private:
    // Everything that depends on the scale: the background and the form's size, the
    // design-time labels, the pictures, the mode choice, the bars. Called again for
    // another scale, it first frees what it made before.
    void BuildContent(ArtScale scale);
    // The mode's radio button checked and the labels' colours, writing nothing.
    void ShowMode(std::uint32_t mode);
    void AdjustForLanguage(const LayoutGeometry& layout);
    void CreateBars(const LayoutGeometry& layout, int phaseCount, int phasesPerSensor);
    void ShowReadings(const PollReadings& readings);

    void TrayClick(TObject* sender);
    void RunAtStartupClick(TObject* sender);
    void ExitClick(TObject* sender);
    void CloseButtonClick(TObject* sender);
    void RadioClick(TObject* sender);
    void LabelClick(TObject* sender);
    void FormShow(TObject* sender);
    void FormHide(TObject* sender);
    void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
    void FormDpiChanged(TObject* sender, int dpi, const TRect& suggested);

    MainWindowParts m_parts;
    TDropShadowForm* m_shadow;  // borrowed; may be null
    std::unique_ptr<ControllerServices> m_services;
    std::unique_ptr<gs::TLayeredFormMaker> m_formMaker;

    ArtScale m_scale;
    DesignedControls m_design;  // the description's labels
    // Owns what BuildContent makes (owned by the form in turn, which frees it with itself).
    TComponent* m_content = nullptr;
    std::uint32_t m_mode = kSavingMode;  // as last applied
    PollReadings m_readings;             // as last shown
    // The mode choice and the close button, made by BuildContent; owned by m_content.
    gs::GsButton* m_closeButton = nullptr;
    gs::GsRadioButton* m_performanceRadio = nullptr;
    gs::GsRadioButton* m_savingRadio = nullptr;
    gs::GsLabel* m_performanceLabel = nullptr;
    gs::GsLabel* m_savingLabel = nullptr;

    // Index = screen slot, slot 0 leftmost. A bar's image and number are the form's.
    std::vector<std::unique_ptr<PellonBar>> m_bars;
    std::vector<int> m_slots;  // the slot of each phase

    TLabel* m_averageValue = nullptr;  // beside the legend; owned by m_content
    ReadingTexts m_readingTexts;       // read once: the language does not change
};
