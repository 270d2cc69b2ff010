#pragma once


#include <QAbstractButton>
#include <QWidget>

#include <functional>

class EditorDocument;
class QLabel;
class SpringAnimation;

// A toolbar button: a symbol on a small rounded tile with a hairline.
class ToolbarButton : public QAbstractButton {
    Q_OBJECT
public:
    ToolbarButton(const QString& symbol, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    // The symbol's colour for the current scheme (it follows the enabled state where it must).
    std::function<QColor(bool dark, bool enabled)> tint;
    // While entering or leaving: drawn scaled from 0.7 and faded by `presence` (0 to 1).
    void setPresence(double presence);
    double presence() const { return m_presence; }

    QSize sizeHint() const override { return { 26, 24 }; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    double m_presence = 1;
};

// The strip across the top of the editor: the document's title, and the delete (while something
// is selected), undo, redo and settings buttons. Dragging the strip moves the window, through
// the background the application shell puts behind it.
class EditorToolbar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 36;

    EditorToolbar(EditorDocument& document, std::function<void()> openSettings, QWidget* parent = nullptr);

    ToolbarButton* trashButton() const { return m_trash; }
    ToolbarButton* undoButton() const { return m_undo; }
    ToolbarButton* redoButton() const { return m_redo; }
    ToolbarButton* settingsButton() const { return m_settings; }
    QLabel* titleLabel() const { return m_title; }
    // Something is selected: the trash button shows.
    bool hasSelection() const;
    // Settles the trash button's entrance or exit (tests, screenshots).
    void finishAnimations();

    // Puts `background` behind the strip's controls, filling it (the shell's window drag area).
    void setBackground(QWidget* background);

    // Deletes the selected hand-drawn redaction, else the selected annotation.
    void deleteSelection();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncSelection();
    void syncHistory();
    void syncTitle();
    void applyPresence(double presence);

    EditorDocument& m_doc;
    QLabel* m_title;
    QWidget* m_selectionGroup;
    ToolbarButton* m_trash;
    ToolbarButton* m_undo;
    ToolbarButton* m_redo;
    ToolbarButton* m_settings;
    SpringAnimation* m_presence;
    QWidget* m_background = nullptr;
};
