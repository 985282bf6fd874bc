#pragma once
// What the controller does, behind the Director facade.
#include "app/ControllerServices.h"
#include "app/DirectorLayout.h"
#include "app/MainWindowParts.h"
#include "app/ReadingTexts.h"
#include "framework/Classes.h"
#include "framework/Controls.h"

#include <cstdint>
#include <memory>
#include <vector>

class PellonBar;
class TLabel;
class TDropShadowForm;
namespace gs {
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

    MainWindowParts m_parts;
    TDropShadowForm* m_shadow;  // borrowed; may be null
    std::unique_ptr<ControllerServices> m_services;
    std::unique_ptr<gs::TLayeredFormMaker> m_formMaker;

    // The mode choice, made by Build; owned by the form, which frees them with itself
    // (as it does the tray icon, the close button and the pictures Build makes).
    gs::GsRadioButton* m_performanceRadio = nullptr;
    gs::GsRadioButton* m_savingRadio = nullptr;
    gs::GsLabel* m_performanceLabel = nullptr;
    gs::GsLabel* m_savingLabel = nullptr;

    // Index = screen slot, slot 0 leftmost. A bar's image and number are the form's.
    std::vector<std::unique_ptr<PellonBar>> m_bars;
    std::vector<int> m_slots;  // the slot of each phase

    TLabel* m_averageValue = nullptr;  // beside the legend; owned by the form
    ReadingTexts m_readingTexts;       // read once: the language does not change
};
