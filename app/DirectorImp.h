#pragma once
#include "app/DirectorLayout.h"
#include "framework/Classes.h"

#include <cstdint>
#include <vector>

class TMainForm;
class TsTrayIcon;

class DirectorImp {
public:
    explicit DirectorImp(TMainForm* form);
    DirectorImp(const DirectorImp&) = delete;
    DirectorImp& operator=(const DirectorImp&) = delete;

    void Build();
    void UpdateBars();
    void Resume();
    void ShowMainWindow();
    void HideMainWindow();
    void ApplyMode(std::uint32_t mode);

private:
    void TrayClick(TObject* sender);
    void RunAtStartupClick(TObject* sender);
    void ExitClick(TObject* sender);
    void FormShow(TObject* sender);
    void FormHide(TObject* sender);
    void AdjustForLanguage(const LayoutSpec& layout);

    TMainForm* m_form;  // borrowed: owns everything the controller makes
    std::vector<int> m_slots;  // the bar of each phase
    TsTrayIcon* m_trayIcon = nullptr;  // borrowed: owned by the form
};
