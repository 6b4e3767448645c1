// SPDX-License-Identifier: MIT
#pragma once

#include <QProxyStyle>

// The application's style, but masking each character of a password as "*" instead of the dot
// that Qt's styles draw, and never showing the last typed character in clear.
class PasswordStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
