#pragma once

#include <QAbstractButton>

// The inspector's buttons: a symbol and/or a title on a continuous rounded rectangle, filled by
// state. One look per use (flip chips, redaction styles, corners, format chips, the plus
// button, text buttons such as "Reset"). The button never changes its own state on a click: the
// section sets `selected` from the model, so a click on the selected chip is still a click.
class InspectorChip : public QAbstractButton {
    Q_OBJECT
public:
    enum class Fill { none, control, accent, accentGradient };
    enum class Ink { primary, sectionTitle, secondary, accent };

    struct Look {
        QString symbol;
        qreal symbolSize = 10;
        QFont::Weight symbolWeight = QFont::Normal;
        qreal titleSize = 11.5;
        QFont::Weight titleWeight = QFont::Normal;
        QFont::Weight selectedTitleWeight = QFont::DemiBold;
        qreal spacing = 5;
        qreal height = 28;
        qreal width = 0;          // 0: takes the width it is given
        qreal radius = 8;
        Fill idleFill = Fill::control;
        Fill selectedFill = Fill::accent;
        bool idleBorder = true;   // 0.5 pt inside, control border colour
        bool selectedBorder = true;
        bool dimIdleBorder = false; // format chips: white 10 % on dark instead of 12 %
        Ink idleInk = Ink::primary;
        qreal minimumScale = 1.0; // a title that does not fit shrinks down to this
        bool fitsContent = false; // as wide as its content instead of the width it is given
    };

    InspectorChip(const QString& title, const Look& look, QWidget* parent = nullptr);

    // A plain text button: no fill, no border, coloured text.
    static Look textLook(qreal size, QFont::Weight weight, Ink ink);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    const Look& look() const { return m_look; }
    void setTitle(const QString& title);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont titleFont() const;

    Look m_look;
    bool m_selected = false;
};
