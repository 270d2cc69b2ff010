#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QWidget>

// A bubble that floats beside an anchor widget with its arrow pointing at it and holds one
// content widget. It closes the way menus do: on a click outside it or on Esc.
class PopoverWindow final : public QWidget {
    Q_OBJECT
public:
    // Takes ownership of `content`.
    explicit PopoverWindow(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }

    // Shows the bubble with its arrow on `arrowEdge` of the anchor (bottom: the bubble hangs
    // below the anchor; top: it stands above). When the screen has no room on that side the
    // bubble goes to the other one.
    void showFor(QWidget* anchor, Qt::Edge arrowEdge = Qt::BottomEdge);

    // Where the arrow sits now: the anchor's edge it points at.
    Qt::Edge arrowEdge() const { return m_arrowEdge; }
    QPainterPath bubblePath() const;

    static constexpr qreal kArrowHeight = 9;
    static constexpr qreal kArrowWidth = 20;
    static constexpr qreal kCornerRadius = 10;
    static constexpr int kShadowMargin = 12;

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void layoutFor(Qt::Edge edge);

    QWidget* m_content;
    Qt::Edge m_arrowEdge = Qt::BottomEdge;
    qreal m_arrowX = 0; // the arrow's tip, in this widget's coordinates
};
