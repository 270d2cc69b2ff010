#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <utility>

// A segmented picker over any labelled values: one equal-width segment per option, the selected
// one on the accent gradient. Values are compared with QVariant equality, so any type with
// operator== works (enums, strings, numbers).
class LumaSegmented : public QWidget {
    Q_OBJECT
public:
    struct Option {
        QVariant value;
        QString label;
    };

    explicit LumaSegmented(QWidget* parent = nullptr);

    QList<Option> options() const { return m_options; }
    void setOptions(const QList<Option>& options);
    template <typename T>
    void setOptions(const QList<std::pair<T, QString>>& options)
    {
        QList<Option> list;
        for (const auto& [value, label] : options)
            list.append({ QVariant::fromValue(value), label });
        setOptions(list);
    }

    QVariant selection() const { return m_selection; }
    void setSelection(const QVariant& value);
    template <typename T>
    T selectionAs() const
    {
        return m_selection.value<T>();
    }

    // Whether the option at `index` shows as selected (several can, when values repeat).
    bool isSelected(int index) const;
    // The segment under `pos`, or -1.
    int segmentAt(QPointF pos) const;
    QRectF segmentRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // A tap on a segment, also when it was already selected.
    void activated(const QVariant& value);
    void selectionChanged(const QVariant& value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QList<Option> m_options;
    QVariant m_selection;
    int m_pressed = -1;
};
