#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QWidget>

// A plain button labelled with a symbol. As a toggle tile (26 x 26) it is filled with the accent
// gradient and its symbol turns white while on; as a step button (22 x 26) it is never on.
class FormatTile final : public QAbstractButton {
    Q_OBJECT
public:
    FormatTile(const QString& symbol, const QString& help, QWidget* parent = nullptr);
    // The minus and plus buttons of the line width field.
    static FormatTile* stepButton(const QString& symbol, QWidget* parent);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    bool isOn() const { return m_on; }
    void setOn(bool on);
    // Symbol and help text together (tiles whose face follows their state).
    void setFace(const QString& symbol, const QString& help, bool on);

    QSize sizeHint() const override { return m_size; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FormatTile(const QString& symbol, QSize size, qreal symbolSize, QFont::Weight weight, QWidget* parent);

    QString m_symbol;
    QSize m_size;
    qreal m_symbolSize;
    QFont::Weight m_weight;
    bool m_on = false;
};

// The thin vertical rule between a bar's groups.
class FormatSeparator final : public QWidget {
public:
    explicit FormatSeparator(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
