#pragma once

#include <QLineEdit>

// A single-line text field in the inspector's field look: 12-pt text padded 8 x 6 pt on a
// rounded rectangle with a 1-pt inside border. Sections write the model from textEdited (what
// the person typed) and update the field with syncText, which leaves the text and the cursor
// alone when the model already holds what the field shows.
class InspectorField : public QLineEdit {
    Q_OBJECT
public:
    explicit InspectorField(const QString& placeholder, QWidget* parent = nullptr);

    // Sets the text only when it differs, without announcing an edit.
    void syncText(const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColors();
};
