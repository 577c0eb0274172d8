#pragma once
// The fireworks effect: the program's own particle animation, drawn in a
// transparent child widget that covers the whole main window just above its
// background and beneath every element, so no burst hides a title or a
// name. It takes no mouse input and no focus.

#include <QColor>
#include <QElapsedTimer>
#include <QPointF>
#include <QTimer>
#include <QWidget>

#include <random>
#include <vector>

namespace luckdial {

class FireworksOverlay : public QWidget {
    Q_OBJECT
public:
    /// variant values of open().
    enum Variant { Bursts = 1, Willow = 2, Rings = 3 };

    /// Covers the parent (the main window) and follows its size.
    explicit FireworksOverlay(QWidget* parent);

    /// Shows the effect beneath the parent's elements and starts the animation; an open
    /// effect restarts with the new variant. variant 1..3 (others clamp).
    void open(int variant);
    /// Stops the animation and hides the effect; nothing when not open.
    void close();
    bool isOpen() const { return open_; }
    int variant() const { return variant_; }

    /// Frame period of the animation in ms.
    static constexpr int kFrameMs = 33;
    /// Particles and rockets alive now (for tests and measurements).
    std::size_t particleCount() const { return particles_.size(); }
    std::size_t rocketCount() const { return rockets_.size(); }
    /// Advances the animation by one frame, as the timer does.
    void step();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Particle {
        QPointF pos, vel;
        QPointF prev;
        QColor colour;
        float life = 1.0f; // 1 → 0
        float decay = 0.02f;
        float size = 2.5f;
        float drag = 0.98f;
        float gravity = 0.06f;
        bool sparkle = false;
    };
    struct Rocket {
        QPointF pos, vel;
        QColor colour;
        int fuse = 0; // frames until it bursts
    };

    void launch();
    void burst(const Rocket& r);
    double uniform(double lo, double hi);
    QColor randomColour();

    QTimer timer_;
    std::mt19937 rng_;
    std::vector<Particle> particles_;
    std::vector<Rocket> rockets_;
    int variant_ = Bursts;
    bool open_ = false;
    int frame_ = 0;
    int nextLaunch_ = 0;
};

} // namespace luckdial
