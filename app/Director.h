#pragma once
// The main window's controller: builds the window once for the board's layout, updates
// the bars on every poll, re-applies the stored mode after a resume, shows and hides
// the window. It dresses the components it is given and knows no form class.
#include "app/ControllerServices.h"
#include "app/MainWindowParts.h"

#include <memory>

class DirectorImp;
class TDropShadowForm;

class Director {
public:
    // shadow (borrowed, may be null) is shown and hidden with the window.
    Director(const MainWindowParts& parts, TDropShadowForm* shadow,
             std::unique_ptr<ControllerServices> services = SharedServices());
    ~Director();
    Director(const Director&) = delete;
    Director& operator=(const Director&) = delete;

    void Build();
    void UpdateBars();
    void Resume();
    void ShowMainWindow();
    void HideMainWindow();

private:
    std::unique_ptr<DirectorImp> m_imp;
};
