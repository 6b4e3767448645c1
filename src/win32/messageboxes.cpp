// SPDX-License-Identifier: MIT
#include "messageboxes.h"

#include "core/exitcode.h"
#include "core/texts.h"
#include "identity.h"
#include "platform/windows/widetext.h"

namespace win32 {

namespace {

namespace texts = core::texts;

// A program without a console has a standard error handle only when its starter redirected it.
void logFailure(const core::Failure& failure)
{
    const HANDLE log = GetStdHandle(STD_ERROR_HANDLE);
    if (log == nullptr || log == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string line = std::string(identity::internalName) + ": " + failure.text() + "\r\n";
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void showModal(HWND owner, const std::string& text, UINT style)
{
    MessageBoxW(owner, platform::widen(text).c_str(),
                platform::widen(texts::applicationTitle).c_str(), style);
}

} // namespace

void MessageBoxes::plain(const std::string& text, const core::Failure& cause)
{
    logFailure(cause);
    showModal(nullptr, text, MB_OK);
}

void MessageBoxes::failure(const std::string& text, const core::Failure& cause)
{
    logFailure(cause);
    showModal(owner_, text, MB_OK | MB_ICONWARNING);
}

int reportStartupFailure(const core::Failure& failure)
{
    logFailure(failure);
    showModal(nullptr, texts::reportOf(texts::startupFailed, failure.text()), MB_OK | MB_ICONERROR);
    return core::toInt(core::ExitCode::StartupFailure);
}

} // namespace win32
