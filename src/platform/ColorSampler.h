#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

// Lets the user pick the colour of any pixel on screen. Providers: xdg-desktop-portal's
// Screenshot.PickColor, else on X11 a frozen grab of the screens with a magnifier under the
// pointer, else none (sampling is unavailable).
class ColorSampler : public QObject {
    Q_OBJECT
public:
    using Picked = std::function<void(const QColor& color)>;
    using Finished = std::function<void()>;

    using QObject::QObject;

    virtual bool isAvailable() const = 0;
    // True from sample() until the pick is over.
    virtual bool isSampling() const = 0;

    // Starts one pick. `picked` runs once with the chosen sRGB colour; never when the user
    // cancels, the provider fails or gives up waiting. `finished` runs once when the pick is
    // over, whichever way it ended (after `picked`). Neither runs once `context` is destroyed.
    // While a pick runs, or without a provider, a new one is refused: `finished` runs at once.
    virtual void sample(QObject* context, Picked picked, Finished finished) = 0;

    // One caller's pick as a provider keeps it until the pick ends.
    struct Request {
        QPointer<QObject> context;
        Picked picked;
        Finished finished;
        // Runs `picked` (with a colour) and then `finished`, while the context lives; only once.
        void end(const std::optional<QColor>& color);
    };

    // The provider for this session, chosen once.
    static ColorSampler& shared();
    // Tests install a sampler of their own; nullptr restores the session's.
    static void setShared(ColorSampler* sampler);
};

// No way to sample the screen in this session.
class NullColorSampler final : public ColorSampler {
    Q_OBJECT
public:
    explicit NullColorSampler(const QString& reason, QObject* parent = nullptr);
    bool isAvailable() const override { return false; }
    bool isSampling() const override { return false; }
    void sample(QObject* context, Picked picked, Finished finished) override;
};
