#pragma once
// Which key presses type a character.

#include <QKeyEvent>
#include <cstdint>
#include <optional>

namespace rt {

// The character code of a key press that types one: letters, digits,
// punctuation, Space, Enter, Tab, Escape, Backspace, Ctrl+letter. None for
// keys that only move, edit or modify (Qt gives Delete a text, but it
// types nothing), and none with Alt, which belongs to the menu bar.
inline std::optional<std::int16_t> characterOf(const QKeyEvent& event)
{
    if (event.text().isEmpty() || event.key() == Qt::Key_Delete || (event.modifiers() & Qt::AltModifier))
        return std::nullopt;
    return static_cast<std::int16_t>(event.text().at(0).unicode());
}

} // namespace rt
