#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

// A key-combination text drawn as key caps: the text is split on spaces (runs of spaces make no
// empty cap); the word "then", in any capitalisation, stands between caps as plain text.
class KeyCapView final : public QWidget {
    Q_OBJECT
public:
    explicit KeyCapView(QString display, QWidget* parent = nullptr);

    struct Piece {
        QString text;
        bool cap = true; // false for the word "then"
        bool operator==(const Piece&) const = default;
    };
    static QList<Piece> pieces(const QString& display);

    QString display() const { return m_display; }
    // Where each piece is drawn, in this widget's coordinates.
    QList<QRectF> pieceRects() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static constexpr qreal spacing = 5.0;
    static constexpr qreal capMinimum = 22.0;
    static constexpr qreal capPadding = 6.0;
    static constexpr qreal capRadius = 6.0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_display;
    QList<Piece> m_pieces;
};

// The fill behind a key cap or a recorder's button, in the scheme's control-background colour.
QColor keyCapFill(const QWidget* widget);
