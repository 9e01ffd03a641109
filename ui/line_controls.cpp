#include "line_controls.h"

#include <QPushButton>

#include "captions.h"
#include "controls.h"
#include "serial_line.h"

namespace tervalink {

void show_line_state(const Controls& controls, const SerialLine& line)
{
    const bool open = line.is_open();
    controls.CmdConnect->setText(QString::fromLatin1(open ? caption::disconnect : caption::connect));
    controls.cmdSend->setEnabled(open);
}

} // namespace tervalink
