#include "framework/Menus.h"

#include "framework/Assert.h"
#include "framework/Messages.h"
#include "framework/SysUtils.h"
#include "framework/Handles.h"

#include <algorithm>

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem()
{
    while (!m_items.empty()) {
        TMenuItem* last = m_items.back();
        Remove(last);
        last->Free();
    }
    if (m_parent)
        m_parent->Remove(this);
}

TMenuItem* TMenuItem::Items(int index) const
{
    ASSERT(index >= 0 && index < Count());
    return m_items[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item)
{
    ASSERT(item && item != this && !item->m_parent);
    m_items.push_back(item);
    item->m_parent = this;
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(m_items.begin(), m_items.end(), item);
    if (it == m_items.end())
        return;
    m_items.erase(it);
    item->m_parent = nullptr;
}

void TMenuItem::Click()
{
    if (m_enabled)
        FireEvent(OnClick, this);
}

namespace {

// Builds the system menu for `item`'s entries; each entry's command id is its index in
// `commands` plus one (0 means "nothing chosen").
HMENU BuildMenu(const TMenuItem* item, std::vector<TMenuItem*>& commands)
{
    MenuHandle menu(CreatePopupMenu());
    if (!menu)
        throw EOutOfResources("Cannot create a menu");
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* entry = item->Items(i);
        if (!entry->Visible())
            continue;
        if (entry->Caption() == "-") {
            AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (entry->Checked() ? MF_CHECKED : 0) | (entry->Enabled() ? 0 : MF_GRAYED);
        if (entry->Count() > 0) {
            MenuHandle sub(BuildMenu(entry, commands));
            if (AppendMenuA(menu.Get(), flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.Get()),
                            entry->Caption().c_str()))
                sub.Release();  // the parent menu frees it now
            continue;
        }
        commands.push_back(entry);
        AppendMenuA(menu.Get(), flags, commands.size(), entry->Caption().c_str());
    }
    return menu.Release();
}

}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), m_items(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() = default;  // the root item is an owned component

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_items)
        m_items = nullptr;
}

void TPopupMenu::Popup(int x, int y)
{
    FireEvent(OnPopup, this);
    if (!m_items)
        return;
    std::vector<TMenuItem*> commands;
    MenuHandle menu(BuildMenu(m_items, commands));
    // The menu needs a window to belong to; a hidden one of its own keeps the choice
    // from reaching any form as WM_COMMAND.
    HWND window = nullptr;
    window = AllocateHWnd([&window](TMessage& m) { m.Result = DefWindowProcA(window, m.Msg, m.WParam, m.LParam); });
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                         x, y, 0, window, nullptr));
    PostMessageA(window, WM_NULL, 0, 0);  // lets the menu close when the user clicks elsewhere
    DeallocateHWnd(window);
    if (chosen > 0 && chosen <= commands.size())
        commands[chosen - 1]->Click();
}
