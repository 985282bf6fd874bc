#pragma once
// Form makers: attached once to a borderless form's background image, a maker sizes the
// form to the image, gives it the image's outline through a layered-window helper, keeps
// the form from erasing its background and lets the user move the window by pressing
// the left button anywhere on the image. Dragging is a small strategy object.
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/WindowProcHook.h"
#include "src/gui/widget/LayeredWindow.h"

#include <memory>

namespace gs {

// Takes over a control's mouse-down to move a form. It forgets the control or the form
// when either is freed first, and gives the control its handler back when it goes.
class TDragDelegate {
public:
    TDragDelegate();
    virtual ~TDragDelegate();
    TDragDelegate(const TDragDelegate&) = delete;
    TDragDelegate& operator=(const TDragDelegate&) = delete;

    virtual void Hook(TControl* control) = 0;
    virtual void Unhook(TControl* control) = 0;

    // Precondition: not attached.
    void Attach(TForm* form, TControl* control);
    void Detach();
    bool IsAttached() const { return m_control != nullptr; }
    TForm* GetForm() const { return m_form; }

private:
    class Watch;

    TControl* m_control = nullptr;  // borrowed: receives the mouse; null while detached
    TForm* m_form = nullptr;        // borrowed: the form to move
    std::unique_ptr<Watch> m_watch;
};

// A left-button press starts the system's move of the form, as if its caption had been
// pressed; every press then reaches the control's previous handler.
class TNormalDrag : public TDragDelegate {
public:
    TNormalDrag() = default;
    ~TNormalDrag() override;
    void Hook(TControl* control) override;
    void Unhook(TControl* control) override;

private:
    void DragMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

    TMouseEvent m_previousMouseDown;
};

// Held by its form (or by whoever builds the form) and never owning it. A maker freed
// before its form gives the form its window procedure and the image its mouse-down
// handler back, so that neither calls into freed memory.
class TShapedFormMaker {
public:
    TShapedFormMaker();
    virtual ~TShapedFormMaker();
    TShapedFormMaker(const TShapedFormMaker&) = delete;
    TShapedFormMaker& operator=(const TShapedFormMaker&) = delete;

    virtual void ApplyShape(TForm* form, TImage* image) = 0;
    virtual void RemoveShape(TForm* form) = 0;
    // Checks the form's design and sizes it to the image.
    virtual void PrepareForm();
    virtual void SetColorKey(TColor color) = 0;
    virtual TColor GetColorKey() const = 0;
    // A delegate of the maker's own kind, or none for the normal one.
    virtual std::unique_ptr<TDragDelegate> CreateDragDelegate();

    // Precondition: not attached (a maker is attached once in its life). False when
    // there is no image or no form among its parents.
    bool Attach(TImage* image);
    bool IsAttached() const { return m_form && m_image; }
    // The attached image was given another picture (the artwork of another scale): the
    // form takes its size, colour key and shape again.
    void PictureChanged();
    bool Draggable() const { return m_draggable; }
    void SetDraggable(bool draggable);
    TForm* GetForm() const { return m_form; }
    TImage* GetImage() const { return m_image; }

protected:
    TForm* m_form = nullptr;  // borrowed

private:
    void EnableDragging();
    void DisableDragging();

    TImage* m_image = nullptr;  // borrowed
    std::unique_ptr<TDragDelegate> m_dragDelegate;
    TWindowProcHook m_formProcHook;
    bool m_draggable = true;
};

// What the two layered makers share: a layered-window helper (Helper) that keeps the
// colour key, and settings that, once changed on an attached form, are shown at once.
// Without the system function there is no helper and the form stays a plain rectangle.
// Defined in TShapedForm.cpp for the two helpers below.
template <class Helper>
class TLayeredMakerBase : public TShapedFormMaker {
public:
    ~TLayeredMakerBase() override;

    void SetColorKey(TColor color) override;
    TColor GetColorKey() const override;
    bool ColorKeyEnabled() const;
    void SetColorKeyEnabled(bool enabled);

protected:
    TLayeredMakerBase();

    // Sets one of the helper's settings; an attached form takes the new shape at once.
    // Does nothing without the helper or when the setting already has the value.
    template <class Owner, class Value>
    void Change(Value (Owner::*get)() const, void (Owner::*set)(Value), Value value);

    std::unique_ptr<Helper> m_layered;  // null when the system lacks the function
};

// Cuts the image's transparent colour out of the form.
class TLayeredFormMaker : public TLayeredMakerBase<LayeredWindowMaker> {
public:
    TLayeredFormMaker();
    ~TLayeredFormMaker() override;

    void ApplyShape(TForm* form, TImage* image) override;
    void RemoveShape(TForm* form) override;
};

// Shows the image with its own alpha channel.
class TPerPixelLayeredFormMaker : public TLayeredMakerBase<TPerPixelLayeredWindowMaker> {
public:
    TPerPixelLayeredFormMaker();
    ~TPerPixelLayeredFormMaker() override;

    void ApplyShape(TForm* form, TImage* image) override;
    void RemoveShape(TForm* form) override;

    bool ClickThrough() const;
    void SetClickThrough(bool clickThrough);
    bool PerPixelAlpha() const;
    void SetPerPixelAlpha(bool perPixel);
    // Whether the system took the image as the window's content the last time the shape
    // was applied: it then keeps its own copy, and the form shows it without painting.
    bool SystemHasImage() const { return m_systemHasImage; }

private:
    bool m_systemHasImage = false;
};

}  // namespace gs
