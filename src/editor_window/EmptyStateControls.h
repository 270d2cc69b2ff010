#pragma once

#include <QAbstractButton>
#include <QGraphicsEffect>
#include <QString>

// The empty state's own controls: its entrance effect, the card's buttons and the gear.

// Draws its widget scaled about the centre and faded by the entrance's progress.
class AppearEffect : public QGraphicsEffect {
public:
    using QGraphicsEffect::QGraphicsEffect;
    void setProgress(double t);

protected:
    void draw(QPainter* painter) override;

private:
    double m_t = 0;
};

// "Paste" and "Open File…" (a symbol and a title on a rounded fill), and the notice's button.
class CardButton : public QAbstractButton {
public:
    enum class Look { primary, secondary, notice };
    CardButton(Look look, const QString& symbol, const QString& title, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
    QString m_symbol;
};

// The settings button in the top-trailing corner.
class GearButton : public QAbstractButton {
public:
    explicit GearButton(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
