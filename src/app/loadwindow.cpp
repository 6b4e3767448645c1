// SPDX-License-Identifier: MIT
#include "loadwindow.h"

#include "connection/bindingfailure.h"
#include "ui/frmlogin.h"

namespace {

// The binder's texts are in the system's local 8-bit encoding (the ANSI code page on Windows).
QString fromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::optional<Failure> loadWindow(FrmLogin& window)
{
    try {
        window.Form_Load();
    } catch (const connectiontest::BindingFailure& failure) {
        return Failure{fromLocal(failure.failed()), fromLocal(failure.reason())};
    }
    return std::nullopt;
}
