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

}  // namespace

TEST(Destruction, AFormFreedInAnyWaySeesNoHandlerOrHookAfterItsDestructor)
{
    const struct {
        const char* how;
        std::function<void(PanelForm*, TComponent* owner)> free;
    } cases[] = {
        {"Free", [](PanelForm* form, TComponent*) { form->Free(); }},
        {"its owner's Free", [](PanelForm*, TComponent* owner) { owner->Free(); }},
        {"its owner's delete", [](PanelForm*, TComponent* owner) { delete owner; }},
        {"a bare delete", [](PanelForm* form, TComponent* owner) {
             delete form;
             owner->Free();
         }},
    };
    for (const auto& c : cases) {
        g_late = LateCalls();
        auto* owner = new TComponent(nullptr);
        auto* form = new PanelForm(owner);
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
    }
}

TEST(Destruction, TheApplicationFreesItsFormsAtExitBeforeTheirDestructorsRun)
{
    g_late = LateCalls();
    {
        guitest::ScopedApplication app;
        PanelForm* main = nullptr;
        app->CreateForm(main);
        PanelForm* second = nullptr;
        app->CreateForm(second);
        main->Show();
        second->Show();
        second->Client()->SetFocus();
        guitest::Pump(50);
        ASSERT_TRUE(second->Client()->Focused());
    }
    EXPECT_TRUE(g_late.destroyed);
    EXPECT_EQ(std::vector<std::string>{}, g_late.calls);
}
