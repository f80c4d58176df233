#pragma once
// The standard conversion of dates and times to text, in the user's locale.

#include "runtime/calendar.h"

#include <QLocale>
#include <QString>
#include <string>

namespace rt {

class LocaleText {
public:
    explicit LocaleText(const QLocale& locale = QLocale());

    // The date alone, in the locale's short form.
    std::string date(Date date) const;
    // The time of day alone, with hours, minutes and seconds, 12- or 24-hour
    // as the locale has it.
    std::string time(TimeOfDay time) const;

private:
    QLocale locale_;
    QString dateFormat_;
    QString timeFormat_;
};

} // namespace rt
