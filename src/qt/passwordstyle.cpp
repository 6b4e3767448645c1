// SPDX-License-Identifier: MIT
#include "passwordstyle.h"

int PasswordStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const
{
    switch (hint) {
    case SH_LineEdit_PasswordCharacter:
        return QLatin1Char('*').unicode();
    case SH_LineEdit_PasswordMaskDelay:
        // Never show the last typed character in clear, whatever the platform's habit.
        return 0;
    default:
        break;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
