#pragma once

#include <QAbstractButton>
#include <QPainterPath>
#include <QString>

#include <functional>
#include <optional>

class QVariantAnimation;

// One command row of the popover: a symbol, the command's title and, at the trailing edge, its
// shortcut label, 39 high across the whole width, which is all its hit area. The pointer over an
// enabled row lights its background (eased in and out over 0.12 s); a disabled row is drawn at
// 0.36 opacity and never lights. Titles and labels are shown as given.
class MenuCommandButton final : public QAbstractButton {
    Q_OBJECT
public:
    MenuCommandButton(QString title, std::optional<QString> shortcut, QString icon, std::function<void()> action,
        QWidget* parent = nullptr);

    static constexpr int rowHeight = 39;

    QString title() const { return text(); }
    std::optional<QString> shortcut() const { return m_shortcut; }
    void setShortcut(std::optional<QString> shortcut);
    QString icon() const { return m_icon; }
    bool isHovering() const { return m_hovering; }
    // How lit the background is, 0 to 1 (follows isHovering through the ease).
    qreal hoverAmount() const { return m_hoverAmount; }

    // The shape the lit background is clipped to, in this row's coordinates (the rounded group
    // the row sits in); empty clips nothing.
    void setBackgroundClip(const QPainterPath& clip);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);

    std::optional<QString> m_shortcut;
    QString m_icon;
    std::function<void()> m_action;
    bool m_hovering = false;
    qreal m_hoverAmount = 0.0;
    QVariantAnimation* m_hoverAnimation;
    QPainterPath m_backgroundClip;
};
