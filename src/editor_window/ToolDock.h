#pragma once

#include "model/AnnotationTool.h"
#include "platform/ColorScheme.h"
#include "ui/GlassPanel.h"

#include <QAbstractButton>
#include <QImage>
#include <QList>

class EditorDocument;

// One square tile of the tool dock: the tool's symbol on a rounded tile, filled with the accent
// gradient while it is the document's tool.
class ToolTile : public QAbstractButton {
    Q_OBJECT
public:
    ToolTile(AnnotationTool tool, QWidget* parent = nullptr);

    AnnotationTool tool() const { return m_tool; }
    bool isCurrent() const { return m_current; }
    void setCurrent(bool current);

    QSize sizeHint() const override { return { 38, 38 }; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintTile(QPainter& p, ColorScheme scheme) const;

    AnnotationTool m_tool;
    bool m_current = false;
    QImage m_image; // the tile as last painted, for its look
    quint64 m_look = 0;
};

// The vertical tool palette at the editor's left edge: a tile per tool in palette order, a
// separator after the select tile; the highlight follows the document's tool however it changes.
// A click sets the tool and nothing else (no undo step).
class ToolDock : public GlassPanel {
    Q_OBJECT
public:
    explicit ToolDock(EditorDocument& document, QWidget* parent = nullptr);

    const QList<ToolTile*>& tiles() const { return m_tiles; }
    ToolTile* tile(AnnotationTool tool) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();

    EditorDocument& m_doc;
    QList<ToolTile*> m_tiles;
};
