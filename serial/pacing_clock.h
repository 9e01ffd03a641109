#pragma once

#include <chrono>
#include <cstdint>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "update_run.h"

namespace tervalink {

// timer1 and tick_count: the only clock of the protocol. wait_ticks pumps events while it waits
// and sleeps between them; waits never nest.
class PacingClock : public QObject, public Pacer {
    Q_OBJECT
public:
    explicit PacingClock(std::chrono::milliseconds tick_period = std::chrono::milliseconds(10),
                         QObject* parent = nullptr);

    std::int16_t tick_count() const { return tick_count_; }
    void reset_and_start(); // start-up: tick_count = 0, timer1 running
    void wait_ticks(std::int16_t ticks) override; // throws Failure when called inside a wait
    bool waiting() const { return waiting_; }
    // Ends a running wait at once (the window is closing); the wait then throws Failure.
    void abandon_wait();

private:
    void start_timer1();
    void timer1_Timer();

    QTimer timer1_;
    QElapsedTimer since_start_;     // when timer1 was last started
    std::int64_t periods_counted_ = 0; // tick periods since then already in tick_count
    std::int64_t last_expiry_ns_ = 0;  // when the previous expiry came, since the start
    std::int16_t tick_count_ = 0;
    bool waiting_ = false;
    bool abandoned_ = false;
};

} // namespace tervalink
