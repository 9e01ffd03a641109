#include <QWidget>

#include "controls.h"
#include "window_design.h"

namespace tervalink {

void set_tab_order(const Controls& controls)
{
    const std::vector<std::size_t> chain = design::tab_chain();
    for (std::size_t n = 1; n < chain.size(); ++n)
        QWidget::setTabOrder(controls.all.at(chain[n - 1]), controls.all.at(chain[n]));
}

} // namespace tervalink
