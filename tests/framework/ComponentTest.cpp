#include "framework/Classes.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"
#include "framework/WindowProcHook.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Records its name in a shared log when it is freed.
class Logged : public TComponent {
public:
    Logged(TComponent* owner, const std::string& name, std::vector<std::string>* log)
        : TComponent(owner), m_log(log)
    {
        SetName(name);
    }
    ~Logged() override { m_log->push_back(Name()); }

    void Loaded() override
    {
        m_log->push_back("loaded " + Name());
        TComponent::Loaded();
    }

private:
    std::vector<std::string>* m_log;
};

// Holds a reference to a component it does not own.
class Referrer : public TComponent {
public:
    using TComponent::TComponent;
    void Refer(TComponent* other)
    {
        m_other = other;
        FreeNotification(other);
    }
    TComponent* Other() const { return m_other; }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == m_other)
            m_other = nullptr;
    }

private:
    TComponent* m_other = nullptr;
};

}  // namespace

TEST(Component, OwnerFreesOwnedComponentsLastCreatedFirst)
{
    std::vector<std::string> log;
    {
        Logged root(nullptr, "root", &log);
        auto* a = new Logged(&root, "a", &log);
        new Logged(a, "a1", &log);
        new Logged(&root, "b", &log);
        new Logged(&root, "c", &log);
        EXPECT_EQ(3, root.ComponentCount());
        EXPECT_EQ(a, root.Components(0));
        EXPECT_EQ(a, root.FindComponent("A"));
        EXPECT_EQ(nullptr, root.FindComponent(""));
    }
    // The root on the stack runs its destructor first; what it owns is freed through
    // Free, which frees a's own components before a's destructor runs.
    EXPECT_EQ((std::vector<std::string>{"root", "c", "b", "a1", "a"}), log);
}

TEST(Component, ComponentFreedFirstLeavesItsOwner)
{
    std::vector<std::string> log;
    Logged root(nullptr, "root", &log);
    auto* a = new Logged(&root, "a", &log);
    auto* b = new Logged(&root, "b", &log);
    delete a;
    ASSERT_EQ(1, root.ComponentCount());
    EXPECT_EQ(b, root.Components(0));
    EXPECT_EQ(&root, b->Owner());
}

TEST(Component, FreeNotificationClearsAReferenceBeforeItDangles)
{
    TComponent root(nullptr);
    auto* referrer = new Referrer(&root);
    auto* other = new TComponent(nullptr);
    referrer->Refer(other);
    delete other;
    EXPECT_EQ(nullptr, referrer->Other());

    // The other way round: the referrer goes first, the other one lives on unharmed.
    auto* survivor = new TComponent(&root);
    referrer->Refer(survivor);
    delete referrer;
    delete survivor;
}

TEST(Component, ReaderMarksLoadingUntilTheDescriptionEnds)
{
    std::vector<std::string> log;
    Logged root(nullptr, "root", &log);
    Logged* child = nullptr;
    {
        TReader reader(&root);
        child = new Logged(&root, "child", &log);
        EXPECT_EQ(csLoading | csReading, root.ComponentState() & (csLoading | csReading));
        EXPECT_EQ(csLoading | csReading, child->ComponentState() & (csLoading | csReading));
        EXPECT_TRUE(log.empty());
    }
    EXPECT_EQ(0u, root.ComponentState() & (csLoading | csReading));
    EXPECT_EQ(0u, child->ComponentState() & (csLoading | csReading));
    EXPECT_EQ((std::vector<std::string>{"loaded root", "loaded child"}), log);
    // Made after reading: never loading.
    auto* late = new TComponent(&root);
    EXPECT_EQ(0u, late->ComponentState() & csLoading);
}

TEST(Component, ReaderEndedByAnExceptionLeavesNothingLoading)
{
    TComponent root(nullptr);
    TComponent* child = nullptr;
    try {
        TReader reader(&root);
        child = new TComponent(&root);
        throw EConvertError("bad description");
    } catch (const EConvertError&) {
    }
    EXPECT_EQ(0u, root.ComponentState() & (csLoading | csReading));
    EXPECT_EQ(0u, child->ComponentState() & (csLoading | csReading));
}

namespace {

// Its Loaded throws.
class FailsToLoad : public TComponent {
public:
    using TComponent::TComponent;
    void Loaded() override { throw EReadError("bad value"); }
};

}  // namespace

TEST(Component, ALoadedThatThrowsLeavesNoComponentLoadingAtAnyDepth)
{
    std::vector<std::string> log;
    Logged root(nullptr, "root", &log);
    std::vector<TComponent*> all;
    bool thrown = false;
    try {
        TReader reader(&root);
        auto* first = new Logged(&root, "first", &log);
        all.push_back(first);
        all.push_back(new Logged(first, "nested", &log));
        all.push_back(new FailsToLoad(&root));
        all.push_back(new Logged(&root, "last", &log));
    } catch (const EReadError&) {
        thrown = true;
    }
    EXPECT_TRUE(thrown) << "the exception comes out of the reader's end";
    EXPECT_EQ((std::vector<std::string>{"loaded root", "loaded first", "loaded nested", "loaded last"}), log);
    for (TComponent* component : all)
        EXPECT_EQ(0u, component->ComponentState() & (csLoading | csReading)) << component->ClassName();
}

namespace gs_like {
class TNamed : public TComponent {
public:
    using TComponent::TComponent;
};
}  // namespace gs_like

TEST(Component, ClassNameIsTheMostDerivedNameWithoutNamespace)
{
    gs_like::TNamed named(nullptr);
    TComponent* asBase = &named;
    EXPECT_EQ("TNamed", asBase->ClassName());
}

TEST(Menus, ItemsFreedByTheirOwnerLeaveTheMenuAndTheMenuFreesTheRest)
{
    TComponent form(nullptr);
    auto* menu = new TPopupMenu(&form);
    auto* first = new TMenuItem(&form);
    auto* second = new TMenuItem(&form);
    menu->Items()->Add(first);
    menu->Items()->Add(second);
    delete first;
    ASSERT_EQ(1, menu->Items()->Count());
    EXPECT_EQ(second, menu->Items()->Items(0));
    EXPECT_EQ(menu->Items(), second->Parent());
    const int before = form.ComponentCount();
    delete menu;  // frees its root item and, with it, `second`
    EXPECT_EQ(before - 2, form.ComponentCount());
}

TEST(Menus, ClickFiresOnlyForEnabledItems)
{
    TMenuItem item(nullptr);
    int clicks = 0;
    item.OnClick = [&](TObject* sender) {
        EXPECT_EQ(&item, sender);
        ++clicks;
    };
    item.Click();
    item.SetEnabled(false);
    item.Click();
    EXPECT_EQ(1, clicks);
}

TEST(CommandLine, SplitsLikeTheStartUpCode)
{
    const struct {
        const char* line;
        std::vector<std::string> params;
    } cases[] = {
        {"", {}},
        {"prog.exe", {"prog.exe"}},
        {"  prog.exe   -b  ", {"prog.exe", "-b"}},
        {"\"C:\\Program Files\\p.exe\" -B /b", {"C:\\Program Files\\p.exe", "-B", "/b"}},
        {"p \"a b\"c d\t-x", {"p", "a bc", "d", "-x"}},
        {"p \"unterminated arg", {"p", "unterminated arg"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.params, SplitCommandLine(c.line)) << c.line;
}

TEST(CommandLine, SwitchSearchHonoursSwitchCharactersAndCase)
{
    // The probe exits with 1 when FindCmdLineSwitch("b", {'-'}, ignoreCase) finds it;
    // its first argument says whether case is ignored.
    const struct {
        const char* args;
        DWORD found;
    } cases[] = {
        {"switch-nocase -b", 1},
        {"switch-nocase -B", 1},
        {"switch-nocase /b", 0},
        {"switch-nocase -bb", 0},
        {"switch-nocase x -a -b", 1},
        {"switch-nocase \"-b\"", 1},
        {"switch-nocase", 0},
        {"switch-case -B", 0},
        {"switch-case -b", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.found, guitest::RunProgram("framework_probe.exe", c.args)) << c.args;
}

// Messages sent with Perform go through the WindowProc chain of a bare control.
TEST(WindowProcHook, HooksLeaveTheChainInAnyOrderAndNeverRunOnceGone)
{
    for (const bool outerFirst : {false, true}) {
        std::vector<std::string> log;
        auto control = std::make_unique<TControl>(nullptr);
        const TWndMethod original = control->WindowProc;
        control->WindowProc = [&](TMessage& m) { log.push_back("control"); original(m); };
        auto inner = std::make_unique<TWindowProcHook>(control.get(), [&](TMessage& m, const TWndMethod& next) {
            log.push_back("inner");
            next(m);
        });
        auto outer = std::make_unique<TWindowProcHook>(control.get(), [&](TMessage& m, const TWndMethod& next) {
            log.push_back("outer");
            if (m.Msg == WM_USER + 2) {
                m.Result = 7;  // answered here: nothing further down sees it
                return;
            }
            next(m);
        });
        control->Perform(WM_USER + 1);
        EXPECT_EQ(7, control->Perform(WM_USER + 2));
        EXPECT_EQ((std::vector<std::string>{"outer", "inner", "control", "outer"}), log);

        log.clear();
        (outerFirst ? outer : inner).reset();
        control->Perform(WM_USER + 1);
        EXPECT_EQ((std::vector<std::string>{outerFirst ? "inner" : "outer", "control"}), log);

        log.clear();
        (outerFirst ? inner : outer).reset();
        control->Perform(WM_USER + 1);
        EXPECT_EQ(std::vector<std::string>{"control"}, log);
    }
}

TEST(WindowProcHook, AControlFreedFirstEndsTheHookAndAHookMayUnhookWhileItRuns)
{
    auto control = std::make_unique<TControl>(nullptr);
    TWindowProcHook hook(control.get(), [](TMessage& m, const TWndMethod& next) { next(m); });
    EXPECT_EQ(control.get(), hook.Control());
    control.reset();
    EXPECT_EQ(nullptr, hook.Control());
    hook.Unhook();  // touches nothing that is gone
    EXPECT_FALSE(hook.Hooked());

    TControl second(nullptr);
    int passedOn = 0;
    const TWndMethod original = second.WindowProc;
    second.WindowProc = [&](TMessage& m) { ++passedOn; original(m); };
    TWindowProcHook self;
    self.Hook(&second, [&](TMessage& m, const TWndMethod& next) {
        self.Unhook();
        next(m);
    });
    second.Perform(WM_USER);
    second.Perform(WM_USER);
    EXPECT_EQ(2, passedOn);
    EXPECT_FALSE(self.Hooked());
}

namespace {

// Notes in `gone` when it is destroyed.
struct Sentinel {
    explicit Sentinel(bool* gone) : m_gone(gone) {}
    ~Sentinel() { *m_gone = true; }
    bool* m_gone;
};

}  // namespace

TEST(WindowProcHook, AHandlerThatUnhooksItselfKeepsWhatItHoldsUntilItReturnsAndTheHookCanBeUsedAgain)
{
    TControl control(nullptr);
    bool captureGone = false;
    bool goneWhileRunning = true;
    TWindowProcHook hook;
    {
        auto sentinel = std::make_shared<Sentinel>(&captureGone);
        hook.Hook(&control, [&hook, &goneWhileRunning, &captureGone, sentinel](TMessage& m, const TWndMethod& next) {
            hook.Unhook();
            goneWhileRunning = captureGone;
            next(m);
        });
    }
    control.Perform(WM_USER);
    EXPECT_FALSE(goneWhileRunning) << "the handler's captures outlive its own call";
    EXPECT_TRUE(captureGone) << "and go once it returns";

    // A hook whose control was freed is no longer hooked and may hook another.
    auto first = std::make_unique<TControl>(nullptr);
    hook.Hook(first.get(), [](TMessage& m, const TWndMethod& next) { next(m); });
    first.reset();
    EXPECT_FALSE(hook.Hooked());
    int seen = 0;
    hook.Hook(&control, [&](TMessage& m, const TWndMethod& next) {
        ++seen;
        next(m);
    });
    control.Perform(WM_USER);
    EXPECT_EQ(1, seen);
}
