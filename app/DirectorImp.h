#pragma once
#include "app/DirectorLayout.h"
#include "framework/Classes.h"

#include <cstdint>
#include <memory>
#include <vector>

class PellonBar;
namespace gs {
class TLayeredFormMaker;
}
class TMainForm;

class DirectorImp {
public:
    explicit DirectorImp(TMainForm* form);
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

    void TrayClick(TObject* sender);
    void RunAtStartupClick(TObject* sender);
    void ExitClick(TObject* sender);
    void CloseButtonClick(TObject* sender);
    void RadioClick(TObject* sender);
    void LabelClick(TObject* sender);
    void FormShow(TObject* sender);
    void FormHide(TObject* sender);

    TMainForm* m_form;  // borrowed: owns every control the controller makes
    std::unique_ptr<gs::TLayeredFormMaker> m_formMaker;
    // Index = screen slot, slot 0 leftmost. A bar's image and number are the form's.
    std::vector<std::unique_ptr<PellonBar>> m_bars;
    std::vector<int> m_slots;  // the slot of each phase
};
