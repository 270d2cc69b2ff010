#pragma once

#include <QObject>
#include <QSizeF>

#include <optional>

// The stage's pan state: whether Space holds pan mode, and the offset added to the canvas centre.
class PanController : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool spaceHeld() const { return m_spaceHeld; }
    void setSpaceHeld(bool held);

    QSizeF offset() const { return m_offset; }
    void setOffset(QSizeF offset);
    void moveBy(QSizeF delta) { setOffset(m_offset + delta); }

    // The offset when the current pan drag began; none outside a drag.
    std::optional<QSizeF> start;

Q_SIGNALS:
    void spaceHeldChanged(bool held);
    void offsetChanged();

private:
    bool m_spaceHeld = false;
    QSizeF m_offset { 0, 0 };
};

// Pushes and pops the application's override cursor, counting its own pushes, so whatever it
// pushed comes off when it goes, even in the middle of a press.
class CursorStack {
public:
    CursorStack() = default;
    CursorStack(const CursorStack&) = delete;
    CursorStack& operator=(const CursorStack&) = delete;
    ~CursorStack() { clear(); }

    void push(Qt::CursorShape shape);
    // Replaces the cursor on top of the stack; nothing when this stack pushed none.
    void set(Qt::CursorShape shape);
    // Pops one of this stack's pushes; nothing when there is none.
    void pop();
    void clear();
    int depth() const { return m_depth; }

private:
    int m_depth = 0;
};
