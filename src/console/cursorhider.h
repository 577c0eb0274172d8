#pragma once
// The mouse cursor disappears over the hall display after a while without
// movement and comes back with the first movement.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QTimer;

namespace luckdial {

class CursorHider : public QObject {
public:
    /// Watches the pointer from now on.
    explicit CursorHider(QWidget* hall, int idleMs = 2000);
    ~CursorHider() override;
    CursorHider(const CursorHider&) = delete;
    CursorHider& operator=(const CursorHider&) = delete;

    bool hidden() const { return hidden_; }
    /// One look at the pointer: where it is now and for how long (ms) it
    /// has stood still there.
    void look(const QPoint& position, int stillMs);

private:
    void show();

    QPointer<QWidget> hall_;
    QTimer* poll_;
    int idleMs_;
    QPoint last_;
    int still_ = 0;
    bool hidden_ = false;
};

} // namespace luckdial
