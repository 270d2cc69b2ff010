#pragma once

#include <QAbstractButton>

// A checkbox row: the 18-pt rounded box (accent fill and a white check mark when on), an
// optional symbol, the label and an optional trailing count. The whole row takes the click, and
// the box shows `on` as the section sets it from the model: a click only reports itself.
class InspectorCheckbox : public QAbstractButton {
    Q_OBJECT
public:
    InspectorCheckbox(const QString& label, qreal labelSize, QWidget* parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);
    void setSymbol(const QString& name, qreal size);
    // Right-aligned secondary text (a count); empty for none.
    void setTrailingText(const QString& text);
    QString trailingText() const { return m_trailing; }
    void setSpacing(qreal spacing);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_labelSize;
    QString m_symbol;
    qreal m_symbolSize = 0;
    QString m_trailing;
    qreal m_spacing = 8;
    bool m_on = false;
};
