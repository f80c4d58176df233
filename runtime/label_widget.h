#pragma once
// The label as drawn: an opaque box with centred text. It paints itself
// rather than using a style sheet, so a colour change costs one repaint of
// its own rectangle.

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace rt {

class LabelWidget final : public QWidget {
    Q_OBJECT
public:
    explicit LabelWidget(QWidget* parent);

    void setText(const QString& text);
    QString text() const { return text_; }
    void setColours(const QColor& back, const QColor& fore);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString text_;
    QColor back_;
    QColor fore_;
};

} // namespace rt
