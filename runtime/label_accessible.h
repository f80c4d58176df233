#pragma once
// The label as assistive technologies see it: static text (AT-SPI's
// "label") whose name is the caption, and a name change told each time the
// caption changes. Qt would expose a widget it does not know as a nameless
// client area, which screen readers pass over. Nothing here runs while no
// assistive technology listens: Qt asks for the interface only then.

#include <QString>

namespace rt {

class LabelWidget;

// Lets Qt's accessibility find the label's interface; once per program.
void exposeLabels();

// Tells listeners, if any, the label's caption once it has settled: two
// timers due at once may write it twice in one turn of the event loop, and
// a screen reader would read the last one twice.
class CaptionAnnouncer {
public:
    explicit CaptionAnnouncer(LabelWidget* label) : label_(label) {}
    void changed();

private:
    LabelWidget* label_;
    QString told_;
    bool pending_ = false;
};

} // namespace rt
