#include "line_controls.h"

#include <QPushButton>

#include "controls.h"
#include "serial_line.h"
#include "window_design.h"

namespace tervalink {

void show_line_state(const Controls& controls, const SerialLine& line)
{
    const bool open = line.is_open();
    controls.CmdConnect->setText(QString::fromLatin1(open ? design::disconnect_caption
                                                           : design::connect_caption));
    controls.cmdSend->setEnabled(open);
}

} // namespace tervalink
