#include "app/DirectorImp.h"

#include "app/Backgrounds.h"
#include "app/DropShadowForm.h"
#include "app/Factory.h"
#include "app/control/PellonBar.h"
#include "framework/ExtCtrls.h"
#include "framework/Foreground.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Resources.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"
#include "framework/WinControls.h"
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsImage.h"
#include "src/gui/widget/GsLabel.h"
#include "src/gui/widget/GsRadioButton.h"
#include "src/gui/widget/NrTrayIcon.h"
#include "src/gui/widget/TShapedForm.h"

#include <algorithm>

DirectorImp::DirectorImp(const MainWindowParts& parts, TDropShadowForm* shadow,
                         std::unique_ptr<ControllerServices> services)
    : m_parts(parts), m_shadow(shadow), m_services(std::move(services)),
      m_formMaker(std::make_unique<gs::TLayeredFormMaker>())
{
}
DirectorImp::~DirectorImp() = default;

void DirectorImp::Build()
{
    TForm* form = m_parts.form;
    m_design.Remember(form, m_parts.background);

    TsTrayIcon* trayIcon = MakeTrayIcon(form);
    trayIcon->SetPopupMenu(m_parts.popupMenu);
    trayIcon->OnClick = Bind(this, &DirectorImp::TrayClick);
    trayIcon->SetPopupTrigger(kRightButtonUp);

    m_parts.runAtStartupItem->SetChecked(m_services->ReadRunAtStartup());
    m_parts.runAtStartupItem->OnClick = Bind(this, &DirectorImp::RunAtStartupClick);
    m_parts.exitItem->OnClick = Bind(this, &DirectorImp::ExitClick);
    m_parts.runAtStartupItem->SetCaption(m_services->GetText("RunAtStartup"));
    m_readingTexts = ReadingTexts::Load(*m_services);

    // The window opens in the middle of the main screen, so it takes that screen's scale.
    BuildContent(ArtScale::ForDpi(Screen->PixelsPerInch()));
    form->CentreOnScreen();

    form->OnShow = Bind(this, &DirectorImp::FormShow);
    form->OnHide = Bind(this, &DirectorImp::FormHide);
    form->OnDpiChanged = Bind(this, &DirectorImp::FormDpiChanged);
    form->SetKeyPreview(true);
    form->SetHideFocusUntilKeyboard(true);
    form->OnKeyDown = Bind(this, &DirectorImp::FormKeyDown);
    ApplyMode(m_services->ReadMode());
    UpdateBars();
}

void DirectorImp::BuildContent(ArtScale scale)
{
    TForm* form = m_parts.form;
    const int phases = m_services->PhaseCount();
    const int perSensor = m_services->PhasesPerSensor();
    const LayoutGeometry& layout = LayoutOf(ClassifyLayout(phases, perSensor));

    // What an earlier scale made goes first: bars, mode choice, pictures, legend value.
    m_bars.clear();
    delete m_content;
    m_content = new TComponent(form);
    m_scale = scale;
    m_design.Apply(scale);

    TBitmap* background = m_parts.background->Picture()->Bitmap();
    LoadBackground(background, layout.background, layout.backgroundFile, scale);
    if (m_formMaker->IsAttached())
        m_formMaker->PictureChanged();
    else
        m_formMaker->Attach(m_parts.background);

    const MainWindowBuilder builder{{m_content, form, scale}, background, {}};
    gs::GsButton* closeButton = m_closeButton = MakeCloseButton(builder, layout.closeButton.X);
    closeButton->OnClick = Bind(this, &DirectorImp::CloseButtonClick);

    MakeImage(builder, layout.bigFigure, kBigFigurePosition.X, kBigFigurePosition.Y);
    MakeImage(builder, "temp_pic.png", kTempPicturePosition.X, kTempPicturePosition.Y);
    MakeImage(builder, "phase.png", layout.phaseImage.X, layout.phaseImage.Y);
    PaintLines(builder, layout);

    const std::string performanceText = m_services->GetText("PreformanceMode");
    const std::string savingText = m_services->GetText("SavingMode");
    m_performanceRadio = MakeModeRadioButton(builder, layout.performanceRadio.X, layout.performanceRadio.Y);
    m_savingRadio = MakeModeRadioButton(builder, layout.savingRadio.X, layout.savingRadio.Y);
    m_performanceLabel = MakeModeLabel(builder, layout.performanceLabel.X, layout.performanceLabel.Y);
    m_performanceLabel->SetCaption(performanceText);
    m_savingLabel = MakeModeLabel(builder, layout.savingLabel.X, layout.savingLabel.Y);
    m_savingLabel->SetCaption(savingText);
    m_performanceLabel->OnClick = Bind(this, &DirectorImp::LabelClick);
    m_savingLabel->OnClick = Bind(this, &DirectorImp::LabelClick);
    m_performanceRadio->OnClick = Bind(this, &DirectorImp::RadioClick);
    m_savingRadio->OnClick = Bind(this, &DirectorImp::RadioClick);

    TLabel* title = m_parts.phaseTitle;
    title->SetCaption(m_services->GetText("Phase"));
    title->SetAutoSize(false);
    title->SetWidth(title->Width() + scale(10));
    title->SetLeft(scale(layout.width) - title->Width() - scale(28));
    m_parts.averageTemp->SetCaption(m_services->GetText("AVG"));
    AdjustForLanguage(layout);
    m_averageValue = MakeLegendValue(builder, m_parts.averageTemp);

    CreateBars(layout, phases, perSensor);

    // The keyboard: Tab goes performance, saving, close; the arrows move between the
    // choices; Esc hides as the close button does. Focus marks wait for the keyboard.
    TWinControl* tabOrder[] = {m_performanceRadio, m_savingRadio, closeButton};
    for (int i = 0; i < 3; ++i) {
        tabOrder[i]->SetTabStop(true);
        tabOrder[i]->SetTabOrder(i);
    }
    if (m_shadow)
        m_shadow->SetScale(scale);
}

void DirectorImp::AdjustForLanguage(const LayoutGeometry& layout)
{
    const ArtScale& scale = m_scale;
    const LanguageAdjustment adjust = LanguageAdjustmentFor(m_services->LanguageName());
    TLabel* title = m_parts.phaseTitle;
    TControl* labels[] = {m_performanceLabel, m_savingLabel, m_parts.averageTemp};
    if (adjust.shiftJis) {
        for (TControl* label : labels)
            label->Font()->SetCharset(SHIFTJIS_CHARSET);
        title->Font()->SetCharset(SHIFTJIS_CHARSET);
    }
    if (adjust.labelFontHeight != 0) {
        for (TControl* label : labels)
            label->Font()->SetHeight(scale(adjust.labelFontHeight));
    }
    if (adjust.phaseTitleFontHeight != 0)
        title->Font()->SetHeight(scale(adjust.phaseTitleFontHeight));
    if (adjust.phaseTitleTop >= 0)
        title->SetTop(scale(adjust.phaseTitleTop));
    title->SetLeft(scale(layout.width) - title->Width() - scale(adjust.phaseTitleRightGap));
}

void DirectorImp::CreateBars(const LayoutGeometry& layout, int phaseCount, int phasesPerSensor)
{
    m_slots = PhaseSlots(phaseCount, phasesPerSensor);
    m_bars.resize(m_slots.size());
    const int count = static_cast<int>(m_bars.size());
    for (int slot = 0; slot < count; ++slot) {
        auto bar = std::make_unique<PellonBar>(m_parts.form, slot + 1, phasesPerSensor, m_scale, m_content);
        bar->SetLeft(m_scale(BarLeft(slot, count, layout.lastBarLeft)));
        bar->SetTop(m_scale(kBarTop));
        m_bars[static_cast<size_t>(slot)] = std::move(bar);
    }
}

void DirectorImp::UpdateBars()
{
    ShowReadings(m_services->Poll());
}

void DirectorImp::ShowReadings(const PollReadings& readings)
{
    if (&readings != &m_readings)
        m_readings = readings;
    // What changes is painted together once it all has its new pictures; a bar whose
    // reading did not change is not rendered again.
    const TInvalidationScope together(m_parts.form, true);
    const size_t phases = std::min(readings.phases.size(), m_slots.size());
    for (size_t phase = 0; phase < phases; ++phase) {
        const PhaseReading& reading = readings.phases[phase];
        PellonBar* bar = m_bars[static_cast<size_t>(m_slots[phase])].get();
        bar->SetReading(reading.enabled, reading.deviation);
        // The tooltip names the bar by the number under it.
        bar->SetHint(m_readingTexts.PhaseTip(bar->Label()->Caption(), reading));
    }
    m_averageValue->SetCaption(readings.hasAverage ? m_readingTexts.Degrees(readings.average) : "");
}

void DirectorImp::Resume()
{
    ApplyMode(m_services->ReadMode());
    UpdateBars();
}

void DirectorImp::ShowMainWindow()
{
    m_parts.form->Show();
    BringWindowToFront(m_parts.form->Handle());
}

void DirectorImp::HideMainWindow()
{
    m_parts.form->Hide();
}

void DirectorImp::ApplyMode(std::uint32_t mode)
{
    m_services->WriteBiosMode(mode);
    m_services->WriteMode(mode);
    ShowMode(mode);
}

void DirectorImp::ShowMode(std::uint32_t mode)
{
    m_mode = mode;
    const bool performance = IsPerformanceMode(mode);
    gs::GsRadioButton* active = performance ? m_performanceRadio : m_savingRadio;
    gs::GsLabel* activeLabel = performance ? m_performanceLabel : m_savingLabel;
    gs::GsLabel* inactiveLabel = performance ? m_savingLabel : m_performanceLabel;
    SetModeLabelColors(activeLabel, true);
    SetModeLabelColors(inactiveLabel, false);
    active->SetChecked(true);
}

void DirectorImp::TrayClick(TObject*)
{
    if (!m_parts.form->Visible())
        ShowMainWindow();
}

void DirectorImp::RunAtStartupClick(TObject*)
{
    TMenuItem* item = m_parts.runAtStartupItem;
    item->SetChecked(!item->Checked());
    m_services->WriteRunAtStartup(item->Checked());
}

void DirectorImp::ExitClick(TObject*)
{
    m_parts.form->Close();
}

void DirectorImp::CloseButtonClick(TObject*)
{
    HideMainWindow();
}

void DirectorImp::RadioClick(TObject* sender)
{
    ApplyMode(sender == m_performanceRadio ? kPerformanceMode : kSavingMode);
}

void DirectorImp::LabelClick(TObject* sender)
{
    const bool performance = sender == m_performanceLabel;
    gs::GsRadioButton* radio = performance ? m_performanceRadio : m_savingRadio;
    if (radio->Checked())
        return;
    radio->SetChecked(true);
    ApplyMode(performance ? kPerformanceMode : kSavingMode);
}

void DirectorImp::FormShow(TObject*)
{
    m_parts.form->SetActiveControl(m_performanceRadio->Checked() ? m_performanceRadio : m_savingRadio);
    if (m_shadow)
        m_shadow->ShowBesideOwner();
    // Nothing is read while the window is hidden: what it shows now may be hours old.
    UpdateBars();
    m_parts.pollingTimer->SetEnabled(true);
}

void DirectorImp::FormHide(TObject*)
{
    if (m_shadow)
        m_shadow->Hide();
    m_parts.pollingTimer->SetEnabled(false);
}

void DirectorImp::FormDpiChanged(TObject*, int dpi, const TRect& suggested)
{
    TForm* form = m_parts.form;
    const ArtScale scale = ArtScale::ForDpi(dpi);
    if (scale != m_scale) {
        // The window is made again in the new scale's pixels, as it stands: same mode,
        // same readings, the focus where it was. Nothing is written to the board.
        const TWinControl* active = form->ActiveControl();
        const int focus = active == m_savingRadio ? 1 : active == m_closeButton ? 2 : 0;
        BuildContent(scale);
        ShowMode(m_mode);
        ShowReadings(m_readings);
        TWinControl* const tabOrder[] = {m_performanceRadio, m_savingRadio, m_closeButton};
        form->SetActiveControl(tabOrder[focus]);
        form->Invalidate();
    }
    // The size is the artwork's; the system's suggestion places it.
    form->SetBounds(suggested.Left, suggested.Top, form->Width(), form->Height());
}

void DirectorImp::FormKeyDown(TObject*, WORD& key, TShiftState)
{
    if (key != VK_ESCAPE)
        return;
    key = 0;
    HideMainWindow();
}
