#pragma once

#include <QAbstractButton>
#include <QColor>

#include <optional>

// The card's icon buttons (raw/styled toggle, discard): a symbol in a 28 x 28 hit square, white
// when active, dimmed when not, or in a tint; pressing gives the pressable feedback.
class NotchIconButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kSide = 28;

    explicit NotchIconButton(QWidget* parent = nullptr);

    void setFace(const QString& symbol, std::optional<QColor> tint, bool active);
    QString symbol() const { return m_symbol; }
    bool isActive() const { return m_active; }
    // The symbol's colour and the face's opacity for this state.
    QColor symbolColor() const;
    qreal faceOpacity() const { return m_active ? 1.0 : 0.84; }

    QSize sizeHint() const override { return { kSide, kSide }; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    std::optional<QColor> m_tint;
    bool m_active = true;
};

// The "Edit" capsule that opens the shot in the full editor.
class NotchEditChip final : public QAbstractButton {
    Q_OBJECT
public:
    explicit NotchEditChip(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
