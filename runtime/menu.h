#pragma once
// Menus of the window's menu bar and their items. An item's check mark
// changes only when the program sets it: choosing the item never toggles
// it by itself.

#include <functional>
#include <string>

class QAction;
class QMenu;

namespace rt {

class Window;

class Menu {
public:
    Menu(Window& window, const std::string& caption);
    QMenu* widget() const { return menu_; }

private:
    QMenu* menu_;
};

class MenuItem {
public:
    MenuItem(Menu& menu, const std::string& caption, bool checked, std::function<void()> onClick);

    bool checked() const { return checked_; }
    void setChecked(bool checked);

    // Chooses the item as the user would.
    void choose();
    QAction* action() const { return action_; }

private:
    QAction* action_;
    bool checked_;
    std::function<void()> onClick_;
};

} // namespace rt
