#pragma once

#include "controls.h"

class QObject;

namespace tervalink {

// Ties the boxes, ticks and options to the satellite table. Typing writes the model; refresh
// writes the model back into the controls with their signals blocked, so a refresh never runs a
// handler.
class TableBinding {
public:
    TableBinding(SatelliteTable& table, const Controls& controls);

    void connect_typing(QObject* context);
    void refresh_all();
    void refresh_selection(); // options, ticks and emphasis

private:
    void refresh_texts();
    void refresh_choice(int choice);
    void refresh_row(int index);

    SatelliteTable& table_;
    const Controls& controls_;
};

} // namespace tervalink
