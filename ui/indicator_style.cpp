#include "indicator_style.h"

#include <cmath>

#include <QApplication>
#include <QStyleFactory>

namespace tervalink {

IndicatorStyle::IndicatorStyle(QObject* owner)
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
{
    setParent(owner);
}

int IndicatorStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const
{
    const int base = QProxyStyle::pixelMetric(metric, option, widget);
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing:
        return static_cast<int>(std::lround(base * factor_));
    default:
        return base;
    }
}

} // namespace tervalink
