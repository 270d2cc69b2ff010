#pragma once

#include "model/RedactionKind.h"
#include "ui/Spring.h"

#include <QStringList>
#include <QWidget>

#include <map>

// One line per kind of hidden text, in the kinds' order, skipping kinds not found: the count and
// the kind's label, singular for exactly one, all lower case ("2 emails", "1 ip address").
QStringList redactionDetailLines(const std::map<RedactionKind, int>& counts);

// The pill under the header that says how much was hidden; hovering it shows the detail card.
class NotchRedactionPill final : public QWidget {
    Q_OBJECT
public:
    explicit NotchRedactionPill(QWidget* parent = nullptr);

    void setMessage(const QString& message);
    QString message() const { return m_message; }
    QSize sizeHint() const override;

Q_SIGNALS:
    void hoverChanged(bool inside);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_message;
};

// The card that floats under the pill while it is hovered: "Hidden in preview" and up to four
// detail lines, then how many more. It scales in from 96 % at its top-left corner while fading
// in, and out the same way.
class NotchRedactionDetail final : public QWidget {
    Q_OBJECT
public:
    static constexpr Spring kSpring { 0.34, 0.75 };

    explicit NotchRedactionDetail(QWidget* parent = nullptr);

    void setCounts(const std::map<RedactionKind, int>& counts);
    QStringList shownLines() const;
    // "+N more" for lines past the fourth, else empty.
    QString moreText() const;

    // Shows or hides the card with its transition.
    void setShown(bool shown);
    bool isShown() const { return m_shown; }
    // The card proper, without the room for its shadow.
    QRectF cardRect() const;
    // Where the card draws now (follows the transition); empty when nothing is drawn.
    QRect drawnRect() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void hoverChanged(bool inside);
    void drawnRectChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QSizeF cardSize() const;

    QStringList m_lines;
    bool m_shown = false;
    qreal m_progress = 0;
    SpringAnimation m_animation;
};
