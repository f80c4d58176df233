#include "runtime/locale_text.h"

#include <QDate>
#include <QTime>

namespace rt {

namespace {

// The locale's long time form is the one with seconds; it ends in the time
// zone ("t"), which has no place on the label.
QString withoutTimeZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    out.remove(QStringLiteral("()"));
    return out.simplified();
}

bool hasSeconds(const QString& format)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u's')
            return true;
    }
    return false;
}

} // namespace

LocaleText::LocaleText(const QLocale& locale)
    : locale_(locale),
      dateFormat_(locale.dateFormat(QLocale::ShortFormat)),
      timeFormat_(withoutTimeZone(locale.timeFormat(QLocale::LongFormat)))
{
    if (!hasSeconds(timeFormat_))
        timeFormat_ = QStringLiteral("HH:mm:ss");
}

std::string LocaleText::date(Date d) const
{
    return locale_.toString(QDate(d.year, d.month, d.day), dateFormat_).toStdString();
}

std::string LocaleText::time(TimeOfDay t) const
{
    return locale_.toString(QTime(t.hour, t.minute, t.second, t.msec), timeFormat_).toStdString();
}

} // namespace rt
