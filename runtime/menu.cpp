#include "runtime/menu.h"

#include "runtime/window.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace rt {

Menu::Menu(Window& window, const std::string& caption)
    : menu_(window.widget()->menuBar()->addMenu(QString::fromStdString(caption)))
{
}

MenuItem::MenuItem(Menu& menu, const std::string& caption, bool checked, std::function<void()> onClick)
    : action_(menu.widget()->addAction(QString::fromStdString(caption))),
      checked_(checked),
      onClick_(std::move(onClick))
{
    action_->setCheckable(true);
    action_->setChecked(checked);
    QObject::connect(action_, &QAction::triggered, action_, [this] {
        // Qt has already flipped the mark; put it back before the handler
        // reads it.
        action_->setChecked(checked_);
        choose();
    });
}

void MenuItem::setChecked(bool checked)
{
    checked_ = checked;
    action_->setChecked(checked);
}

void MenuItem::choose()
{
    if (onClick_)
        onClick_();
}

} // namespace rt
