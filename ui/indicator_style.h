#pragma once

#include <QProxyStyle>

namespace tervalink {

// The application's style with the indicators of check boxes and options, and the space beside
// them, scaled with the design.
class IndicatorStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit IndicatorStyle(QObject* owner);

    void set_factor(double factor) { factor_ = factor; }

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    double factor_ = 1.0;
};

} // namespace tervalink
