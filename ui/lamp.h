#pragma once

#include <QColor>
#include <QFrame>
#include <QTimer>

namespace tervalink {

// The activity lamp `pic` with its blink timer `Timer2`: blue and white in turn while a
// transmission runs, white when it stops.
class Lamp : public QFrame {
    Q_OBJECT
public:
    explicit Lamp(QWidget* parent);

    void start();
    void stop();
    QColor colour() const { return colour_; }
    bool blinking() const { return Timer2_.isActive(); }

private:
    void Timer2_Timer();
    void paint(const QColor& colour);

    QTimer Timer2_;
    QColor colour_;
};

} // namespace tervalink
