#pragma once
// The main window's controller: builds the window once for the board's layout, updates
// the bars on every poll, re-applies the stored mode after a resume, shows and hides
// the window.
#include <memory>

class DirectorImp;
class TMainForm;

class Director {
public:
    explicit Director(TMainForm* form);
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
