#pragma once

#include <vector>

#include <QPoint>
#include <QSize>

#include "twips.h"

class QWidget;

namespace tervalink {

class IndicatorStyle;

// Every control of the window with its box and font size in the design, and the one place that
// shows them all at a scale: positions, sizes, fonts and indicators by one factor.
class DesignLayout {
public:
    DesignLayout(QWidget* window, TwipsRect client_area, double window_points);

    // `control` stands at `box` in its parent with `points` as its design font size. A control
    // that `grows` takes the height its contents need, evenly about its design centre line.
    // Parents are placed before their contents.
    void place(QWidget* control, TwipsRect box, double points, bool grows = false);

    // Shows the design at `factor`. The captions take the same share of their design size, unless
    // one of them would not fit its control: then all take the next smaller size on this screen.
    void apply(double factor, double device_pixel_ratio);

    // The window's client area at the design's own size.
    QSize design_size() const;
    double factor() const { return factor_; }
    double text_scale() const { return text_scale_; }

private:
    struct Placement {
        QWidget* control;
        TwipsRect box; // in the window, so that rounding never adds up through the parents
        QPoint parent; // the parent's corner in the window, in twips
        double points;
        bool grows;
    };
    bool captions_fit(double text_scale) const;
    void set_fonts(double text_scale) const;

    QWidget* window_;
    TwipsRect client_area_;
    double window_points_;
    IndicatorStyle* indicators_;
    std::vector<Placement> placements_;
    double factor_ = 0;
    double text_scale_ = 0;
};

} // namespace tervalink
