#include "runtime/calendar.h"

#include <QDate>

namespace rt {

int weekday(Date date)
{
    // Qt counts Monday = 1 to Sunday = 7.
    return QDate(date.year, date.month, date.day).dayOfWeek() % 7 + 1;
}

float secondsSinceMidnight(TimeOfDay time)
{
    const int msecs = ((time.hour * 60 + time.minute) * 60 + time.second) * 1000 + time.msec;
    return static_cast<float>(msecs / 1000.0);
}

} // namespace rt
