#include "ui/fireworks.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>

namespace luckdial {
namespace {

// Enough to fill a projector screen without slowing the window below.
constexpr std::size_t kMaxParticles = 2400;

} // namespace

FireworksOverlay::FireworksOverlay(QWidget* parent)
    : QWidget(parent),
      rng_(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())) {
    setObjectName(QStringLiteral("烟花"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    timer_.setInterval(kFrameMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FireworksOverlay::step);
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
}

void FireworksOverlay::open(int variant) {
    variant_ = std::clamp(variant, 1, 3);
    particles_.clear();
    rockets_.clear();
    frame_ = 0;
    nextLaunch_ = 0;
    if (parentWidget()) setGeometry(parentWidget()->rect());
    open_ = true;
    // Above the background, beneath every element of the window.
    lower();
    show();
    step();
    timer_.start();
}

void FireworksOverlay::close() {
    if (!open_) return;
    open_ = false;
    timer_.stop();
    hide();
    particles_.clear();
    rockets_.clear();
}

void FireworksOverlay::hideEvent(QHideEvent* event) {
    // Hidden by any means (also QWidget::close through a base pointer): stop animating.
    timer_.stop();
    open_ = false;
    QWidget::hideEvent(event);
}

bool FireworksOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

double FireworksOverlay::uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng_);
}

QColor FireworksOverlay::randomColour() {
    static const QColor palette[] = {
        QColor(255, 70, 60),   QColor(255, 200, 40),  QColor(80, 200, 255), QColor(120, 255, 120),
        QColor(255, 120, 220), QColor(255, 255, 255), QColor(255, 150, 40), QColor(180, 120, 255)};
    return palette[std::uniform_int_distribution<int>(0, 7)(rng_)];
}

void FireworksOverlay::launch() {
    const double w = std::max(width(), 100);
    const double h = std::max(height(), 100);
    Rocket r;
    r.pos = QPointF(uniform(w * 0.15, w * 0.85), h + 4);
    // Rise to the upper half of the screen whatever its size.
    const double frames = uniform(28, 42);
    const double rise = uniform(h * 0.45, h * 0.8);
    r.vel = QPointF(uniform(-1.5, 1.5), -rise / frames);
    r.fuse = static_cast<int>(frames);
    r.colour = variant_ == Willow ? QColor(255, 200, 90) : randomColour();
    rockets_.push_back(r);
}

void FireworksOverlay::burst(const Rocket& r) {
    const double scale = std::max(width(), height()) / 1000.0 + 0.5;
    const double pi = std::numbers::pi;
    auto add = [&](QPointF vel, const QColor& c, float decay, float size, float drag, float gravity,
                   bool sparkle) {
        if (particles_.size() >= kMaxParticles) return;
        Particle p;
        p.pos = p.prev = r.pos;
        p.vel = vel;
        p.colour = c;
        p.decay = decay;
        p.size = size;
        p.drag = drag;
        p.gravity = gravity;
        p.sparkle = sparkle;
        particles_.push_back(p);
    };
    switch (variant_) {
    case Bursts: {
        // A round peony: random directions, an even spread of speeds, a second colour inside.
        const QColor inner = randomColour();
        const int n = 140;
        for (int i = 0; i < n; ++i) {
            const double a = uniform(0, 2 * pi);
            const double s = std::sqrt(uniform(0.05, 1.0)) * 6.5 * scale;
            add(QPointF(std::cos(a) * s, std::sin(a) * s), i % 3 == 0 ? inner : r.colour,
                static_cast<float>(uniform(0.012, 0.022)), 2.6f, 0.965f, 0.05f, i % 5 == 0);
        }
        break;
    }
    case Willow: {
        // Slow golden strands that hang and droop for a long time.
        const int n = 110;
        for (int i = 0; i < n; ++i) {
            const double a = uniform(0, 2 * pi);
            const double s = uniform(2.0, 4.6) * scale;
            add(QPointF(std::cos(a) * s, std::sin(a) * s - 0.8), r.colour,
                static_cast<float>(uniform(0.006, 0.010)), 2.0f, 0.975f, 0.035f, true);
        }
        break;
    }
    default: {
        // Two concentric rings on a tilted plane, no gravity to speak of.
        const int n = 72;
        const double tilt = uniform(0.35, 1.0);
        const double turn = uniform(0, pi);
        const QColor second = randomColour();
        for (int ring = 0; ring < 2; ++ring) {
            const double s = (ring == 0 ? 6.0 : 3.6) * scale;
            for (int i = 0; i < n; ++i) {
                const double a = 2 * pi * i / n;
                const double x = std::cos(a) * s, y = std::sin(a) * s * tilt;
                const QPointF v(x * std::cos(turn) - y * std::sin(turn),
                                x * std::sin(turn) + y * std::cos(turn));
                add(v, ring == 0 ? r.colour : second, 0.016f, 3.0f, 0.955f, 0.012f, false);
            }
        }
        break;
    }
    }
}

void FireworksOverlay::step() {
    if (!open_) return;
    ++frame_;
    if (frame_ >= nextLaunch_) {
        launch();
        if (variant_ == Rings || uniform(0, 1) < 0.35) launch();
        nextLaunch_ = frame_ + static_cast<int>(uniform(variant_ == Willow ? 14 : 9, 22));
    }
    for (auto it = rockets_.begin(); it != rockets_.end();) {
        it->pos += it->vel;
        it->vel.ry() += 0.05;
        if (--it->fuse <= 0) {
            const Rocket r = *it;
            it = rockets_.erase(it);
            burst(r);
        } else {
            ++it;
        }
    }
    for (auto& p : particles_) {
        p.prev = p.pos;
        p.vel *= p.drag;
        p.vel.ry() += p.gravity;
        p.pos += p.vel;
        p.life -= p.decay;
    }
    std::erase_if(particles_,
                  [&](const Particle& p) { return p.life <= 0.0f || p.pos.y() > height() + 40; });
    update();
}

void FireworksOverlay::paintEvent(QPaintEvent*) {
    if (!open_) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (const auto& r : rockets_) {
        QColor c = r.colour;
        p.setBrush(c.lighter(130));
        p.drawEllipse(r.pos, 2.5, 2.5);
        c.setAlpha(90);
        QPen trail(c, 2.0, Qt::SolidLine, Qt::FlatCap);
        p.setPen(trail);
        p.drawLine(r.pos, r.pos - r.vel * 3.0);
        p.setPen(Qt::NoPen);
    }
    for (const auto& q : particles_) {
        const float life = std::clamp(q.life, 0.0f, 1.0f);
        if (q.sparkle && life < 0.5f && ((frame_ + static_cast<int>(q.pos.x())) & 3) == 0)
            continue; // twinkle while fading
        QColor c = q.colour;
        c.setAlphaF(std::min(1.0f, life * 1.3f));
        if (variant_ == Willow || life > 0.5f) {
            // A short streak behind the particle shows its motion.
            QPen streak(c, q.size * (0.5 + life * 0.5), Qt::SolidLine, Qt::FlatCap);
            p.setPen(streak);
            p.drawLine(q.prev - (q.pos - q.prev) * 1.5, q.pos);
            p.setPen(Qt::NoPen);
        } else {
            p.setBrush(c);
            const double radius = q.size * (0.4 + life * 0.6);
            p.drawEllipse(q.pos, radius, radius);
        }
    }
}

} // namespace luckdial
