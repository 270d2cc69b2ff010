#pragma once

#include <QAbstractButton>
#include <QStringList>

#include <functional>
#include <optional>

class QMenu;

// The text bar's font menu: labelled with the first word of the font's family ("Aa" for the
// system font); its items are "System" and then every installed family drawn in its own font,
// listed when the menu is about to show.
class FontMenuButton final : public QAbstractButton {
    Q_OBJECT
public:
    using Families = std::function<QStringList()>;

    explicit FontMenuButton(QWidget* parent = nullptr);

    void setFontName(const std::optional<QString>& family);
    // What the label shows for a family.
    static QString labelFor(const std::optional<QString>& family);

    // The families to list (tests); the font database's by default.
    void setFamilies(Families families);
    QMenu* menu() const { return m_menu; }

    QSize sizeHint() const override { return { 44, 26 }; }

    // Longest family name a menu item shows, in pixels; longer names are elided.
    static constexpr int kMaxItemWidth = 320;

Q_SIGNALS:
    // "System" gives none.
    void fontChosen(const std::optional<QString>& family);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fillMenu();

    QString m_label;
    QMenu* m_menu;
    Families m_families;
};
