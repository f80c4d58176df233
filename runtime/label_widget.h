#pragma once
// The label as drawn: an opaque box with centred text. It paints itself
// rather than using a style sheet, so a colour change costs one repaint of
// its own rectangle, and that repaint copies the text from an image made
// once per text, text colour and pixel ratio: the background changes every
// frame, the text about once a second, and glyphs as large as these are
// rasterised from their outlines each time they are drawn.

#include "runtime/label_accessible.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QStaticText>
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
    // The label's font, made just small enough for the text to fit the box
    // where it would not (a long time form in some locales).
    QFont fontFor(const QString& text) const;
    // Paints the label, its rectangle at the painter's origin.
    void drawOn(QPainter& painter);
    // Where the text has pixels in the label, painted at `ratio`; the rest
    // is its background.
    QRect textBounds(qreal ratio);
    QColor background() const { return back_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layOut();
    void renderText(qreal ratio);

    QString text_;
    // Fitted and laid out once per text, not per frame: the label repaints
    // at every tick for its fading background.
    QFont drawnFont_;
    QStaticText drawnText_;
    QPointF textOrigin_;
    QColor back_;
    QColor fore_;
    // The text in `fore_` on a clear ground; null when it is to be made
    // again.
    QImage textImage_;
    QRect inked_;
    CaptionAnnouncer announcer_;
};

} // namespace rt
