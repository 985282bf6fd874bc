#include "app/Director.h"

#include "app/DirectorImp.h"
#include "app/Factory.h"
#include "app/Main.h"
#include "app/Shadow.h"
#include "src/gui/widget/TShapedForm.h"
#include "app/control/PellonBar.h"
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsImage.h"
#include "src/gui/widget/GsLabel.h"
#include "src/gui/widget/GsRadioButton.h"
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

DirectorImp::DirectorImp(TMainForm* form)
    : m_form(form), m_formMaker(std::make_unique<gs::TLayeredFormMaker>())
{
}
DirectorImp::~DirectorImp() = default;

void DirectorImp::Build()
{
    PtmLib& monitor = PtmLib::Instance();
    const int phases = monitor.PhaseCount();
    const int perSensor = monitor.PhasesPerSensor();
    const WindowLayout kind = ClassifyLayout(phases, perSensor);
    const LayoutGeometry& layout = LayoutOf(kind);

    TImage* source = kind == WindowLayout::Large    ? m_form->LargeBk
                     : kind == WindowLayout::Medium ? m_form->MediumBk
                                                    : m_form->SmallBk;
    m_form->LoadLayoutPicture(source, m_form->Background->Picture()->Bitmap());
    m_formMaker->Attach(m_form->Background);
    m_form->SetLeft((Screen->Width() - m_form->Width()) / 2);
    m_form->SetTop((Screen->Height() - m_form->Height()) / 2);

    const MainWindowBuilder builder{m_form, m_form->Background->Picture()->Bitmap(), {}};
    m_form->TrayIcon = MakeTrayIcon(builder);
    m_form->TrayIcon->SetPopupMenu(m_form->PopupMenu);
    m_form->TrayIcon->OnClick = Bind(this, &DirectorImp::TrayClick);
    m_form->TrayIcon->SetPopupTrigger(kRightButtonUp);

    m_form->MenuItem0->SetChecked(AppSettings::Instance().ReadRunAtStartup());
    m_form->MenuItem0->OnClick = Bind(this, &DirectorImp::RunAtStartupClick);
    m_form->MenuItem1->OnClick = Bind(this, &DirectorImp::ExitClick);

    m_form->CloseButton = MakeCloseButton(builder, layout.closeButton.X);
    m_form->CloseButton->OnClick = Bind(this, &DirectorImp::CloseButtonClick);

    m_form->BigFigure = MakeImage(builder, layout.bigFigure, kBigFigurePosition.X, kBigFigurePosition.Y);
    m_form->TempPicture = MakeImage(builder, "temp_pic.png", kTempPicturePosition.X, kTempPicturePosition.Y);
    m_form->PhaseImage = MakeImage(builder, "phase.png", layout.phaseImage.X, layout.phaseImage.Y);
    PaintLines(builder, layout);

    dali::NrMultiLang& texts = dali::NrMultiLang::Instance();
    const std::string performanceText = texts.GetText("PreformanceMode");
    const std::string savingText = texts.GetText("SavingMode");
    m_form->PerformanceRadio =
        MakeModeRadioButton(builder, layout.performanceRadio.X, layout.performanceRadio.Y);
    m_form->SavingRadio = MakeModeRadioButton(builder, layout.savingRadio.X, layout.savingRadio.Y);
    m_form->PerformanceLabel =
        MakeModeLabel(builder, layout.performanceLabel.X, layout.performanceLabel.Y);
    m_form->PerformanceLabel->SetCaption(performanceText);
    m_form->SavingLabel = MakeModeLabel(builder, layout.savingLabel.X, layout.savingLabel.Y);
    m_form->SavingLabel->SetCaption(savingText);
    m_form->PerformanceLabel->OnClick = Bind(this, &DirectorImp::LabelClick);
    m_form->SavingLabel->OnClick = Bind(this, &DirectorImp::LabelClick);
    m_form->PerformanceRadio->OnClick = Bind(this, &DirectorImp::RadioClick);
    m_form->SavingRadio->OnClick = Bind(this, &DirectorImp::RadioClick);

    TLabel* title = m_form->PhaseTitle;
    title->SetCaption(texts.GetText("Phase"));
    title->SetAutoSize(false);
    title->SetWidth(title->Width() + 10);
    title->SetLeft(layout.width - title->Width() - 28);
    m_form->AverageTemp->SetCaption(texts.GetText("AVG"));
    m_form->MenuItem0->SetCaption(texts.GetText("RunAtStartup"));
    AdjustForLanguage(layout);

    CreateBars(layout, phases, perSensor);

    m_form->OnShow = Bind(this, &DirectorImp::FormShow);
    m_form->OnHide = Bind(this, &DirectorImp::FormHide);
    ApplyMode(AppSettings::Instance().ReadMode());
    UpdateBars();
}

void DirectorImp::AdjustForLanguage(const LayoutGeometry& layout)
{
    const LanguageAdjustment adjust = LanguageAdjustmentFor(dali::NrMultiLang::Instance().LanguageName());
    TLabel* title = m_form->PhaseTitle;
    TControl* labels[] = {m_form->PerformanceLabel, m_form->SavingLabel, m_form->AverageTemp};
    if (adjust.shiftJis) {
        for (TControl* label : labels)
            label->Font()->SetCharset(SHIFTJIS_CHARSET);
        title->Font()->SetCharset(SHIFTJIS_CHARSET);
    }
    if (adjust.labelFontHeight != 0) {
        for (TControl* label : labels)
            label->Font()->SetHeight(adjust.labelFontHeight);
    }
    if (adjust.phaseTitleFontHeight != 0)
        title->Font()->SetHeight(adjust.phaseTitleFontHeight);
    if (adjust.phaseTitleTop >= 0)
        title->SetTop(adjust.phaseTitleTop);
    title->SetLeft(layout.width - title->Width() - adjust.phaseTitleRightGap);
}

void DirectorImp::CreateBars(const LayoutGeometry& layout, int phaseCount, int phasesPerSensor)
{
    m_slots = PhaseSlots(phaseCount, phasesPerSensor);
    m_bars.resize(m_slots.size());
    const int count = static_cast<int>(m_bars.size());
    for (int slot = 0; slot < count; ++slot) {
        auto bar = std::make_unique<PellonBar>(m_form, slot + 1, phasesPerSensor);
        bar->SetLeft(BarLeft(slot, count, layout.lastBarLeft));
        bar->SetTop(kBarTop);
        m_bars[static_cast<size_t>(slot)] = std::move(bar);
    }
}

void DirectorImp::UpdateBars()
{
    PtmLib& monitor = PtmLib::Instance();
    monitor.Refresh();
    // The bars that change are painted together once they all have their new pictures.
    const TInvalidationScope together(m_form, true);
    for (size_t phase = 0; phase < m_slots.size(); ++phase) {
        PellonBar* bar = m_bars[static_cast<size_t>(m_slots[phase])].get();
        bar->SetReading(monitor.IsPhaseEnabled(static_cast<unsigned>(phase)),
                        monitor.PhaseDeviation(static_cast<unsigned>(phase)));
    }
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
    const bool performance = IsPerformanceMode(mode);
    gs::GsRadioButton* active = performance ? m_form->PerformanceRadio : m_form->SavingRadio;
    gs::GsLabel* activeLabel = performance ? m_form->PerformanceLabel : m_form->SavingLabel;
    gs::GsLabel* inactiveLabel = performance ? m_form->SavingLabel : m_form->PerformanceLabel;
    const ModeLabelColors on = ModeLabelColorsFor(true);
    const ModeLabelColors off = ModeLabelColorsFor(false);
    activeLabel->Font()->SetColor(on.font);
    activeLabel->Radiation()->SetColor(on.glow);
    inactiveLabel->Font()->SetColor(off.font);
    inactiveLabel->Radiation()->SetColor(off.glow);
    WriteBiosItem(kItemPowerMode, mode);
    AppSettings::Instance().WriteMode(mode);
    active->SetChecked(true);
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

void DirectorImp::CloseButtonClick(TObject*)
{
    HideMainWindow();
}

void DirectorImp::RadioClick(TObject* sender)
{
    ApplyMode(sender == m_form->PerformanceRadio ? 1 : 0);
}

void DirectorImp::LabelClick(TObject* sender)
{
    const bool performance = sender == m_form->PerformanceLabel;
    gs::GsRadioButton* radio = performance ? m_form->PerformanceRadio : m_form->SavingRadio;
    if (radio->Checked())
        return;
    radio->SetChecked(true);
    ApplyMode(performance ? 1 : 0);
}

void DirectorImp::FormShow(TObject*)
{
    ShadowForm->SetUpPicture();
    ShadowForm->Show();
    m_form->PollingTimer->SetEnabled(true);
}

void DirectorImp::FormHide(TObject*)
{
    ShadowForm->Hide();
    m_form->PollingTimer->SetEnabled(false);
}
