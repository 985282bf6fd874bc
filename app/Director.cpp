#include "app/Director.h"

#include "app/DirectorImp.h"
#include "app/Factory.h"
#include "app/Main.h"
#include "src/Oc/BiosInterface.h"
#include "src/Oc/PtmLib.h"
#include "src/System/AppSettings.h"
#include "src/System/IniAccess.h"
#include "src/gui/widget/NrTrayIcon.h"

namespace {
constexpr TMouseTrigger kRightButtonUp = 6;
}  // namespace

Director::Director(TMainForm* form) : m_imp(std::make_unique<DirectorImp>(form)) {}
Director::~Director() = default;
void Director::Build() { m_imp->Build(); }
void Director::UpdateBars() { m_imp->UpdateBars(); }
void Director::Resume() { m_imp->Resume(); }
void Director::ShowMainWindow() { m_imp->ShowMainWindow(); }
void Director::HideMainWindow() { m_imp->HideMainWindow(); }

DirectorImp::DirectorImp(TMainForm* form) : m_form(form) {}

void DirectorImp::Build()
{
    PtmLib& monitor = PtmLib::Instance();
    const int phases = monitor.PhaseCount();
    const WindowLayout kind = ClassifyLayout(phases, monitor.PhasesPerSensor());
    const LayoutSpec& layout = LayoutOf(kind);

    TImage* source = kind == WindowLayout::Large    ? m_form->LargeBk
                     : kind == WindowLayout::Medium ? m_form->MediumBk
                                                    : m_form->SmallBk;
    m_form->Background->SetPicture(source->Picture());
    m_form->SetClientWidth(m_form->Background->Width());
    m_form->SetClientHeight(m_form->Background->Height());
    m_form->SetLeft((Screen->Width() - m_form->Width()) / 2);
    m_form->SetTop((Screen->Height() - m_form->Height()) / 2);

    m_trayIcon = MakeTrayIcon(m_form);
    m_trayIcon->SetPopupMenu(m_form->PopupMenu);
    m_trayIcon->OnClick = Bind(this, &DirectorImp::TrayClick);
    m_trayIcon->SetPopupTrigger(kRightButtonUp);

    m_form->MenuItem0->SetChecked(AppSettings::Instance().ReadRunAtStartup());
    m_form->MenuItem0->OnClick = Bind(this, &DirectorImp::RunAtStartupClick);
    m_form->MenuItem1->OnClick = Bind(this, &DirectorImp::ExitClick);

    dali::NrMultiLang& texts = dali::NrMultiLang::Instance();
    TLabel* title = m_form->PhaseTitle;
    title->SetCaption(texts.GetText("Phase"));
    title->SetAutoSize(false);
    title->SetWidth(title->Width() + 10);
    title->SetLeft(layout.width - title->Width() - 28);
    m_form->AverageTemp->SetCaption(texts.GetText("AVG"));
    m_form->MenuItem0->SetCaption(texts.GetText("RunAtStartup"));
    AdjustForLanguage(layout);

    m_slots = PhaseSlots(phases, monitor.PhasesPerSensor());

    m_form->OnShow = Bind(this, &DirectorImp::FormShow);
    m_form->OnHide = Bind(this, &DirectorImp::FormHide);
    ApplyMode(AppSettings::Instance().ReadMode());
    UpdateBars();
}

void DirectorImp::AdjustForLanguage(const LayoutSpec& layout)
{
    const LanguageAdjustment adjust = LanguageAdjustmentFor(dali::NrMultiLang::Instance().LanguageName());
    TLabel* title = m_form->PhaseTitle;
    TLabel* average = m_form->AverageTemp;
    if (adjust.shiftJis) {
        title->Font()->SetCharset(SHIFTJIS_CHARSET);
        average->Font()->SetCharset(SHIFTJIS_CHARSET);
    }
    if (adjust.labelFontHeight != 0)
        average->Font()->SetHeight(adjust.labelFontHeight);
    if (adjust.phaseTitleFontHeight != 0)
        title->Font()->SetHeight(adjust.phaseTitleFontHeight);
    if (adjust.phaseTitleTop >= 0)
        title->SetTop(adjust.phaseTitleTop);
    title->SetLeft(layout.width - title->Width() - adjust.phaseTitleRightGap);
}

void DirectorImp::UpdateBars()
{
    PtmLib::Instance().Refresh();
}

void DirectorImp::Resume()
{
    ApplyMode(AppSettings::Instance().ReadMode());
    UpdateBars();
}

void DirectorImp::ShowMainWindow()
{
    m_form->Show();
    BringWindowToFront(m_form->Handle());
}

void DirectorImp::HideMainWindow()
{
    m_form->Hide();
}

void DirectorImp::ApplyMode(std::uint32_t mode)
{
    WriteBiosItem(kItemPowerMode, mode);
    AppSettings::Instance().WriteMode(mode);
}

void DirectorImp::TrayClick(TObject*)
{
    if (!m_form->Visible())
        ShowMainWindow();
}

void DirectorImp::RunAtStartupClick(TObject*)
{
    TMenuItem* item = m_form->MenuItem0;
    item->SetChecked(!item->Checked());
    AppSettings::Instance().WriteRunAtStartup(item->Checked());
}

void DirectorImp::ExitClick(TObject*)
{
    m_form->Close();
}

void DirectorImp::FormShow(TObject*)
{
    m_form->PollingTimer->SetEnabled(true);
}

void DirectorImp::FormHide(TObject*)
{
    m_form->PollingTimer->SetEnabled(false);
}
