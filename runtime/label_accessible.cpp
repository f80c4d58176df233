#include "runtime/label_accessible.h"

#include "runtime/label_widget.h"

#include <QAccessibleWidget>

namespace rt {

namespace {

class LabelAccessible final : public QAccessibleWidget {
public:
    explicit LabelAccessible(LabelWidget* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return static_cast<const LabelWidget*>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* labelInterface(const QString&, QObject* object)
{
    auto* label = qobject_cast<LabelWidget*>(object);
    return label ? new LabelAccessible(label) : nullptr;
}

} // namespace

void exposeLabels()
{
    static const bool installed = (QAccessible::installFactory(labelInterface), true);
    Q_UNUSED(installed);
}

void CaptionAnnouncer::changed()
{
    if (pending_ || !QAccessible::isActive())
        return;
    pending_ = true;
    QMetaObject::invokeMethod(
        label_,
        [this] {
            pending_ = false;
            if (label_->text() == told_)
                return;
            told_ = label_->text();
            QAccessibleEvent named(label_, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&named);
        },
        Qt::QueuedConnection);
}

} // namespace rt
