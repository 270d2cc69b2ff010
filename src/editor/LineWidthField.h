#pragma once

#include "editor/AnnotationRef.h"

#include <QWidget>

#include <optional>

class FormatTile;
class QLineEdit;

// The line width of one annotation as a whole number 1 to 20: minus, a text field, plus. Each
// step, and Return or Escape on a whole number, records one undo step and sets the width
// (clamped); either on anything else, or leaving the field otherwise, puts the current width back.
// Escape then travels on to the widgets around the field. The text
// follows the annotation's width whenever it changes (undo, redo, other views).
class LineWidthField final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 1;
    static constexpr int kMaxWidth = 20;

    // `widthText`, when given, is the editing layer's copy of the field's text; it must outlive
    // the field.
    LineWidthField(EditorDocument* document, QUuid annotationID, QString* widthText = nullptr, QWidget* parent = nullptr);
    ~LineWidthField() override;

    QLineEdit* lineEdit() const { return m_edit; }
    FormatTile* minusButton() const { return m_minus; }
    FormatTile* plusButton() const { return m_plus; }

    // The width a submitted text asks for, clamped to 1 ... 20: an optional sign and decimal
    // digits, nothing else; none for anything else or a number beyond 64 bits.
    static std::optional<int> parse(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The annotation's width truncated towards zero (the last one seen once it is gone).
    int currentWidth() const;
    void show(int width);
    void step(int delta);
    void submit();
    void follow();

    AnnotationRef m_ref;
    QString* m_widthText;
    FormatTile* m_minus;
    FormatTile* m_plus;
    QLineEdit* m_edit;
    double m_shownFraction = 0; // the width the text last followed
};
