#include "app/Director.h"

#include "app/DirectorImp.h"

Director::Director(const MainWindowParts& parts, TDropShadowForm* shadow,
                   std::unique_ptr<ControllerServices> services)
    : m_imp(std::make_unique<DirectorImp>(parts, shadow, std::move(services)))
{
}
Director::~Director() = default;
void Director::Build() { m_imp->Build(); }
void Director::UpdateBars() { m_imp->UpdateBars(); }
void Director::Resume() { m_imp->Resume(); }
void Director::ShowMainWindow() { m_imp->ShowMainWindow(); }
void Director::HideMainWindow() { m_imp->HideMainWindow(); }
