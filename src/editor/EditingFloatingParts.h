#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QUuid>

#include <array>
#include <optional>

class AnnotationEditController;
class AnnotationEditingLayer;
class FormatBarContainer;
class FormatBarFactory;

// The editing layer's widgets that may reach past the canvas: the inline text field, the two crop
// buttons and the format bars. They live in a host widget (the layer itself unless the stage
// offers one of its own size) and follow the layer's state and position there.
class EditingFloatingParts : public QObject {
    Q_OBJECT
public:
    EditingFloatingParts(AnnotationEditingLayer* layer, AnnotationEditController* controller);
    ~EditingFloatingParts() override;

    QWidget* host() const;
    void setHost(QWidget* host);
    // Not owned; null shows empty bars.
    void setFormatBarFactory(FormatBarFactory* factory);

    QLineEdit* textField() const { return m_textField; }
    QAbstractButton* cropCancelButton() const { return m_cropCancel; }
    QAbstractButton* cropConfirmButton() const { return m_cropConfirm; }
    // The bar shown for the selection, if any.
    FormatBarContainer* formatBar() const;

    // Brings every part up to date with the layer and the document.
    void sync();
    // Gives the text field the keyboard, or hands it back to the layer.
    void focusTextField(bool focused);

    // `text` on one line: each line break (CR LF as one) becomes a space.
    static QString singleLine(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum BarSlot { textBar, highlightBar, shapeBar };
    struct BarState {
        QPointer<FormatBarContainer> bar;
        std::optional<QUuid> id;
    };

    void ensureFloating();
    void textEdited(const QString& text);
    void syncTextField();
    void syncCropButtons();
    void syncFormatBars();
    FormatBarContainer* makeBar(BarSlot slot, const QUuid& id);
    QPointF toHost(QPointF layerPoint) const;

    AnnotationEditingLayer* m_layer;
    AnnotationEditController* m_controller;
    QPointer<QWidget> m_host;
    FormatBarFactory* m_factory = nullptr;
    // Children of the host, which may delete them with itself; made again when needed.
    QPointer<QLineEdit> m_textField;
    QPointer<QWidget> m_cropButtons;
    QPointer<QAbstractButton> m_cropCancel;
    QPointer<QAbstractButton> m_cropConfirm;
    std::array<BarState, 3> m_bars;
    std::optional<QUuid> m_barSelection;
    int m_syncDepth = 0;
};
