#pragma once

#include <QMargins>
#include <QWidget>

#include <functional>

// A titled slider with its value read-out: the title and the formatted value on one row, a
// capsule track with a gradient fill and a white knob below. The value is continuous (no steps);
// a press on the track counts as the start of a drag and sets the value at once.
//
// The knob and its shadow reach past the track's ends; the widget keeps `overhang()` free around
// the slider's own frame for them, so callers aligning it with other controls subtract it.
class LumaSlider : public QWidget {
    Q_OBJECT
public:
    using Format = std::function<QString(double)>;

    explicit LumaSlider(const QString& title = {}, QWidget* parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString& title);

    double value() const { return m_value; }
    // Stores the value as given: one outside the range draws the knob at the nearer end.
    void setValue(double value);
    double lower() const { return m_lower; }
    double upper() const { return m_upper; }
    void setRange(double lower, double upper);

    void setFormat(Format format);
    // Called once at the start of each drag, before its first value change.
    void setOnBegin(std::function<void()> onBegin) { m_onBegin = std::move(onBegin); }
    bool isDragging() const { return m_dragging; }
    // The drag in progress opens a new step at its next change: onBegin runs again then. For an
    // undo or redo made while dragging, which would otherwise leave the rest of the drag outside
    // every step. Ignored when called from onBegin itself.
    void restartStep();

    // The value rounded half away from zero, as a plain integer ("13", "-3", "0"). Not-a-number
    // shows "0"; values beyond the 64-bit integer range show its nearer end.
    static QString defaultFormat(double value);
    QString readout() const;

    static QMargins overhang();
    // The 16-point track (the hit area) in widget coordinates.
    QRectF trackRect() const;
    // Knob centre along a track of `width`, pinned to [0, width] (at `width` when undefined).
    static double knobPosition(double value, double lower, double upper, double width);
    // The value a pointer at `x` along a track of `width` selects, pinned to the range.
    static double valueAt(double x, double width, double lower, double upper);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void valueChanged(double value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRectF frame() const;
    qreal headerHeight() const;
    void dragTo(qreal x);

    QString m_title;
    double m_value = 0.0;
    double m_lower = 0.0;
    double m_upper = 1.0;
    Format m_format;
    std::function<void()> m_onBegin;
    bool m_dragging = false;
    bool m_stepOpen = false;
    bool m_inBegin = false;
};
