#pragma once
// Menu items and the pop-up menu that shows them at a screen point.
#include "framework/Classes.h"

#include <string>
#include <vector>

// One entry of a menu; it may hold entries of its own (a sub-menu). An item frees the
// items it holds; an item freed earlier (by its owner) leaves its parent on its own.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const { return m_caption; }  // "-" makes a separator
    void SetCaption(const std::string& caption) { m_caption = caption; }
    bool Checked() const { return m_checked; }
    void SetChecked(bool checked) { m_checked = checked; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }

    int Count() const { return static_cast<int>(m_items.size()); }
    TMenuItem* Items(int index) const;  // borrowed
    TMenuItem* Parent() const { return m_parent; }  // borrowed
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);

    // What choosing the item does: fires OnClick when the item is enabled.
    virtual void Click();

    TNotifyEvent OnClick;

private:
    TMenuItem* m_parent = nullptr;   // borrowed
    std::vector<TMenuItem*> m_items;  // owned: freed in the destructor
    std::string m_caption;
    bool m_checked = false;
    bool m_enabled = true;
    bool m_visible = true;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    TMenuItem* Items() const { return m_items; }  // borrowed: the root, never shown itself

    // Shows the menu with its top-left corner at the screen point and returns once it
    // closes; the chosen item, if any, is then clicked.
    virtual void Popup(int x, int y);

    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMenuItem* m_items;  // owned
};
