#pragma once

#include <QProxyStyle>

// The window's layout was drawn for 13-pixel check and option marks with a
// narrow gap before the caption; this style gives them those metrics on every
// platform so that no caption is cut off.
class DesignStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
};
