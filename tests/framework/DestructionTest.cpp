// Freeing components: a form freed in any of the ways a program frees it sees nothing of
// itself called once its destructor has run.
#include "framework/CustomControls.h"
#include "framework/Forms.h"
#include "framework/WindowProcHook.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// What was called on a form after its destructor ran. Global, so that a late call reads
// nothing of the dead form.
struct LateCalls {
    bool destroyed = false;
    std::vector<std::string> calls;
    void Note(const char* what)
    {
        if (destroyed)
            calls.push_back(what);
    }
};
LateCalls g_late;

// A form with a focused client panel under a top bar, whose handlers and window
// procedure closure belong to the form.
class PanelForm : public TForm {
public:
    explicit PanelForm(TComponent* owner) : TForm(owner)
    {
        SetBorderStyle(bsNone);
        SetBounds(120, 120, 200, 150);
        auto* bar = new TCustomControl(this);
        bar->SetHeight(30);
        bar->SetAlign(alTop);
        bar->SetParent(this);
        m_client = new TCustomControl(this);
        m_client->SetAlign(alClient);
        m_client->SetTabStop(true);
        m_client->SetParent(this);
        m_client->OnResize = Bind(this, &PanelForm::ClientResize);
        m_client->OnExit = Bind(this, &PanelForm::ClientExit);
        TWndMethod saved = m_client->WindowProc;
        m_client->WindowProc = [this, saved](TMessage& message) {
            Wrapped();
            saved(message);
        };
    }
    ~PanelForm() override { g_late.destroyed = true; }

    TCustomControl* Client() const { return m_client; }
    void Wrapped() { g_late.Note("closure"); }

private:
    void ClientResize(TObject*) { g_late.Note("OnResize"); }
    void ClientExit(TObject*) { g_late.Note("OnExit"); }

    TCustomControl* m_client;  // borrowed: owned as a component
};

// Frees whatever it hears is going, as a careless handler might.
class FreesAgain : public TComponent {
public:
    using TComponent::TComponent;
    int notified = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove) {
            ++notified;
            component->Free();  // the form's destruction has begun: nothing happens
        }
    }
};

}  // namespace

TEST(Destruction, AFormFreedInAnyWaySeesNoHandlerOrHookAfterItsDestructor)
{
    const struct {
        const char* how;
        bool application;  // owned by an application object rather than a plain component
        std::function<void(PanelForm*, TComponent* owner)> free;
    } cases[] = {
        {"Free", false, [](PanelForm* form, TComponent*) { form->Free(); }},
        {"its owner's Free", false, [](PanelForm*, TComponent* owner) { owner->Free(); }},
        {"its owner's delete", false, [](PanelForm*, TComponent* owner) { delete owner; }},
        {"the application at exit", true, [](PanelForm*, TComponent* owner) { delete owner; }},
        {"a bare delete", false, [](PanelForm* form, TComponent* owner) {
             delete form;
             owner->Free();
         }},
    };
    for (const auto& c : cases) {
        g_late = LateCalls();
        TComponent* owner = c.application ? new TApplication : new TComponent(nullptr);
        auto* form = new PanelForm(owner);
        FreesAgain careless(nullptr);
        careless.FreeNotification(form);
        TWindowProcHook outliving(form->Client(), [form](TMessage& message, const TWndMethod& next) {
            form->Wrapped();
            next(message);
        });
        form->Show();
        form->Client()->SetFocus();
        guitest::Pump(50);
        ASSERT_TRUE(form->Client()->Focused()) << c.how;
        c.free(form, owner);
        EXPECT_TRUE(g_late.destroyed) << c.how;
        EXPECT_EQ(std::vector<std::string>{}, g_late.calls) << c.how;
        EXPECT_EQ(nullptr, outliving.Control()) << c.how;
        EXPECT_EQ(1, careless.notified) << c.how;
    }
}
