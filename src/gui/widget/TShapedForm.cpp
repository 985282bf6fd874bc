#include "src/gui/widget/TShapedForm.h"

#include "framework/Assert.h"
#include "framework/Bitmap.h"

namespace gs {

namespace {

// What a maker without its helper reports: the helpers' own "no key".
constexpr COLORREF kNoColorKey = 0xFFFFFFFF;

TForm* NearestForm(TControl* control)
{
    for (TWinControl* parent = control->Parent(); parent; parent = parent->Parent())
        if (auto* form = dynamic_cast<TForm*>(parent))
            return form;
    return nullptr;
}

}  // namespace

// Free notifications reach components only; this one tells its delegate that the
// control or the form it borrows is gone.
class TDragDelegate::Watch : public TComponent {
public:
    explicit Watch(TDragDelegate* delegate) : TComponent(nullptr), m_delegate(delegate) {}

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation != opRemove)
            return;
        if (component == m_delegate->m_control)
            m_delegate->m_control = nullptr;
        if (component == m_delegate->m_form)
            m_delegate->m_form = nullptr;
    }

private:
    TDragDelegate* m_delegate;  // borrowed: the delegate owns this watch
};

TDragDelegate::TDragDelegate() : m_watch(std::make_unique<Watch>(this)) {}

// The watch takes itself off the components' lists when it goes.
TDragDelegate::~TDragDelegate() = default;

void TDragDelegate::Attach(TForm* form, TControl* control)
{
    ASSERT(!IsAttached());
    m_form = form;
    m_control = control;
    if (form)
        form->FreeNotification(m_watch.get());
    if (control) {
        control->FreeNotification(m_watch.get());
        Hook(control);
    }
}

void TDragDelegate::Detach()
{
    if (!IsAttached())
        return;
    Unhook(m_control);
    m_control = nullptr;
}

TNormalDrag::~TNormalDrag()
{
    // The handler in the control's event points here.
    Detach();
}

void TNormalDrag::Hook(TControl* control)
{
    m_previousMouseDown = control->OnMouseDown;
    control->OnMouseDown = Bind(this, &TNormalDrag::DragMouseDown);
}

void TNormalDrag::Unhook(TControl* control)
{
    control->OnMouseDown = std::move(m_previousMouseDown);
    m_previousMouseDown = nullptr;
}

void TNormalDrag::DragMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    // The move runs its own message loop, in which dragging may be switched off or the
    // delegate freed: the handler to call afterwards is taken now.
    const TMouseEvent previous = m_previousMouseDown;
    if (button == mbLeft && GetForm()) {
        ReleaseCapture();
        SendMessageA(GetForm()->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
    Fire(previous, sender, button, shift, x, y);
}

TShapedFormMaker::TShapedFormMaker() = default;

TShapedFormMaker::~TShapedFormMaker() = default;

void TShapedFormMaker::PrepareForm()
{
    m_form->SetControlStyle(m_form->ControlStyle() | csOpaque);
    if (m_form->BorderStyle() != bsNone)
        MessageBoxA(nullptr, "BorderStyle is not set to bsNone", m_form->Name().c_str(), MB_OK);
    if (m_form->Scaled())
        MessageBoxA(nullptr, "Scaled is not set to false", m_form->Name().c_str(), MB_OK);
    ASSERT_MSG(!m_form->Scaled(), "m_form->Scaled == false");
    m_image->SetAutoSize(true);
    m_form->SetClientWidth(m_image->Width());
    m_form->SetClientHeight(m_image->Height());
}

std::unique_ptr<TDragDelegate> TShapedFormMaker::CreateDragDelegate()
{
    return nullptr;
}

bool TShapedFormMaker::Attach(TImage* image)
{
    ASSERT(!IsAttached());
    if (!image)
        return false;
    m_form = NearestForm(image);
    if (!m_form)
        return false;
    m_image = image;
    PrepareForm();
    TBitmap* bitmap = image->Picture()->Bitmap();
    bitmap->SetTransparentMode(tmAuto);
    SetColorKey(bitmap->TransparentColor());
    if (m_draggable)
        EnableDragging();
    // The image covers the whole form: an erase would only flicker under it.
    m_formProcHook.Hook(m_form, [](TMessage& message, const TWndMethod& next) {
        if (message.Msg == WM_ERASEBKGND) {
            message.Result = 1;
            return;
        }
        next(message);
    });
    ApplyShape(m_form, m_image);
    return true;
}

void TShapedFormMaker::PictureChanged()
{
    if (!IsAttached())
        return;
    PrepareForm();
    SetColorKey(m_image->Picture()->Bitmap()->TransparentColor());
    ApplyShape(m_form, m_image);
}

void TShapedFormMaker::SetDraggable(bool draggable)
{
    if (draggable == m_draggable)
        return;
    m_draggable = draggable;
    if (!IsAttached())
        return;
    if (draggable)
        EnableDragging();
    else
        DisableDragging();
}

void TShapedFormMaker::EnableDragging()
{
    if (!m_dragDelegate)
        m_dragDelegate = CreateDragDelegate();
    if (!m_dragDelegate)
        m_dragDelegate = std::make_unique<TNormalDrag>();
    m_dragDelegate->Attach(m_form, m_image);
}

void TShapedFormMaker::DisableDragging()
{
    if (m_dragDelegate)
        m_dragDelegate->Detach();
}

template <class Helper>
TLayeredMakerBase<Helper>::TLayeredMakerBase() : m_layered(std::make_unique<Helper>())
{
    if (m_layered->IsEnabled())
        m_layered->SetColorKeyEnabled(true);
    else
        m_layered.reset();
}

template <class Helper>
TLayeredMakerBase<Helper>::~TLayeredMakerBase() = default;

template <class Helper>
template <class Owner, class Value>
void TLayeredMakerBase<Helper>::Change(Value (Owner::*get)() const, void (Owner::*set)(Value), Value value)
{
    if (!m_layered || value == (m_layered.get()->*get)())
        return;
    (m_layered.get()->*set)(value);
    if (IsAttached())
        ApplyShape(m_form, GetImage());
}

template <class Helper>
void TLayeredMakerBase<Helper>::SetColorKey(TColor color)
{
    Change(&Helper::ColorKey, &Helper::SetColorKey, static_cast<COLORREF>(color));
}

template <class Helper>
TColor TLayeredMakerBase<Helper>::GetColorKey() const
{
    return static_cast<TColor>(m_layered ? m_layered->ColorKey() : kNoColorKey);
}

template <class Helper>
bool TLayeredMakerBase<Helper>::ColorKeyEnabled() const
{
    return m_layered && m_layered->ColorKeyEnabled();
}

template <class Helper>
void TLayeredMakerBase<Helper>::SetColorKeyEnabled(bool enabled)
{
    Change(&Helper::ColorKeyEnabled, &Helper::SetColorKeyEnabled, enabled);
}

template class TLayeredMakerBase<LayeredWindowMaker>;
template class TLayeredMakerBase<TPerPixelLayeredWindowMaker>;

TLayeredFormMaker::TLayeredFormMaker() = default;

TLayeredFormMaker::~TLayeredFormMaker() = default;

void TLayeredFormMaker::ApplyShape(TForm* form, TImage*)
{
    if (!m_layered)
        return;
    form->SetColor(GetColorKey());
    m_layered->Apply(form->Handle());
}

void TLayeredFormMaker::RemoveShape(TForm* form)
{
    if (m_layered)
        m_layered->Remove(form->Handle());
}

TPerPixelLayeredFormMaker::TPerPixelLayeredFormMaker() = default;

TPerPixelLayeredFormMaker::~TPerPixelLayeredFormMaker() = default;

void TPerPixelLayeredFormMaker::ApplyShape(TForm* form, TImage* image)
{
    if (!m_layered)
        return;
    form->SetColor(GetColorKey());
    m_systemHasImage = m_layered->Update(form, image->Picture()->Bitmap());
}

void TPerPixelLayeredFormMaker::RemoveShape(TForm* form)
{
    m_systemHasImage = false;
    if (m_layered)
        m_layered->Remove(form);
}

bool TPerPixelLayeredFormMaker::ClickThrough() const
{
    return m_layered && m_layered->ClickThrough();
}

void TPerPixelLayeredFormMaker::SetClickThrough(bool clickThrough)
{
    Change(&TPerPixelLayeredWindowMaker::ClickThrough, &TPerPixelLayeredWindowMaker::SetClickThrough,
           clickThrough);
}

bool TPerPixelLayeredFormMaker::PerPixelAlpha() const
{
    return m_layered && m_layered->PerPixelAlpha();
}

void TPerPixelLayeredFormMaker::SetPerPixelAlpha(bool perPixel)
{
    Change(&TPerPixelLayeredWindowMaker::PerPixelAlpha, &TPerPixelLayeredWindowMaker::SetPerPixelAlpha,
           perPixel);
}

}  // namespace gs
