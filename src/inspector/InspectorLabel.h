#pragma once

#include <QLabel>

// A text of the inspector in one of its colour roles, following the colour scheme. Wraps when
// asked to (captions); a single-line label elides at its end instead of growing.
class InspectorLabel : public QLabel {
    Q_OBJECT
public:
    enum class Role { sectionTitle, primary, secondary, accent, warning };

    InspectorLabel(const QString& text, qreal size, QFont::Weight weight, Role role, QWidget* parent = nullptr);

    // The shared section title: 12 pt medium in the section title colour.
    static InspectorLabel* sectionTitle(const QString& text, QWidget* parent = nullptr);
    // A 10.5-pt caption in the secondary colour, wrapping.
    static InspectorLabel* caption(const QString& text, QWidget* parent = nullptr);

    Role role() const { return m_role; }
    QColor color() const;
    // A symbol drawn before the text (the crop line, the note line).
    void setSymbol(const QString& name, qreal size, qreal spacing);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal symbolWidth() const;

    Role m_role;
    QString m_symbol;
    qreal m_symbolSize = 0;
    qreal m_symbolSpacing = 0;
};

// A 0.5-pt line in the hairline colour across its container: in the inspector's column it keeps
// inside the bleed (`inColumn`), under the header it spans the panel.
class InspectorHairline : public QWidget {
    Q_OBJECT
public:
    explicit InspectorHairline(QWidget* parent = nullptr, bool inColumn = true);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_inColumn;
};
