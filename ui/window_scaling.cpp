// How the window follows its screen: the design scaled by one factor so that the window, frame
// included, fits the screen's work area.
#include <algorithm>

#include <QScreen>
#include <QWindow>

#include "design_scale.h"
#include "frm_main.h"

namespace tervalink {

namespace {

// Before the window is first shown its frame is unknown: a title bar and borders as desktops
// commonly draw them stand in, until the real one is there.
constexpr QMargins likely_frame(8, 31, 8, 8);

Extent extent_of(QSize size)
{
    return {static_cast<double>(size.width()), static_cast<double>(size.height())};
}

// At a scaling such as 150 % Qt rounds each side of the frame to whole scaled pixels, which can
// hide up to half a pixel of it: that half is counted in.
FrameMargins frame_of(QMargins frame)
{
    constexpr double hidden = 0.5;
    return {frame.left() + hidden, frame.top() + hidden, frame.right() + hidden,
            frame.bottom() + hidden};
}

} // namespace

void frmMain::fit_to_screen()
{
    const QScreen* on = screen();
    const QMargins frame =
        windowHandle() != nullptr && isVisible() ? windowHandle()->frameMargins() : likely_frame;
    const double ratio = on->devicePixelRatio();
    // Qt rounds the window's place and its size to screen pixels apart, which can carry its far
    // edges one screen pixel further: that pixel is kept free.
    const QSizeF area = QSizeF(on->availableGeometry().size()) - QSizeF(1, 1) / ratio;
    const double factor = design_factor({area.width(), area.height()}, frame_of(frame),
                                        extent_of(design_.design_size()), legibility_floor(ratio));
    design_frame_ = frame;
    if (factor == design_.factor() && ratio == design_ratio_)
        return;
    design_ratio_ = ratio;
    design_.apply(factor, ratio);
    keep_on_screen();
}

// A new screen, or a change of its work area or scaling, gives a new factor.
void frmMain::follow_screen(QScreen* screen)
{
    for (const QMetaObject::Connection& watch : screen_watch_)
        disconnect(watch);
    screen_watch_ = {
        connect(screen, &QScreen::availableGeometryChanged, this, &frmMain::fit_to_screen),
        connect(screen, &QScreen::logicalDotsPerInchChanged, this, &frmMain::fit_to_screen),
        connect(screen, &QScreen::physicalDotsPerInchChanged, this, &frmMain::fit_to_screen),
    };
    fit_to_screen();
}

// A window manager frames a window only after it is shown, and the frame's size comes with a move.
void frmMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (isVisible() && windowHandle() != nullptr && windowHandle()->frameMargins() != design_frame_)
        fit_to_screen();
}

// Moves the window, frame included, inside the work area where it fits; a window held at the
// legibility floor keeps its top left corner there, and the user moves it to reach the rest.
void frmMain::keep_on_screen()
{
    if (!isVisible())
        return;
    const QRect area = screen()->availableGeometry();
    const QRect outer = frameGeometry();
    QPoint corner = outer.topLeft();
    corner.setX(std::max(area.left(), std::min(corner.x(), area.right() + 1 - outer.width())));
    corner.setY(std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - outer.height())));
    if (corner != outer.topLeft())
        move(corner);
}

} // namespace tervalink
