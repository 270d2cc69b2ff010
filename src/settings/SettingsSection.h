#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

// One section of a grouped settings form: an optional header, rows on a rounded group with
// hairlines between them, and an optional footer in small secondary text.
class SettingsSection final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsSection(const QString& header = {}, const QString& footer = {}, QWidget* parent = nullptr);

    // Adds a row; returns it.
    QWidget* addRow(QWidget* row);
    // A row of a title at the leading edge and `trailing` at the trailing edge.
    QWidget* addRow(const QString& title, QWidget* trailing);
    QLabel* footer() const { return m_footer; }

private:
    QWidget* m_group;
    QVBoxLayout* m_rows;
    QLabel* m_footer = nullptr;
};

enum class TextRole { primary, secondary, tertiary };
// A label drawn in its role's colour of the scheme it is shown in.
QLabel* schemeLabel(const QString& text, TextRole role, const QFont& font, QWidget* parent = nullptr);
// The small secondary text of footers and notices, wrapped.
QLabel* secondaryLabel(const QString& text, QWidget* parent = nullptr);
