// SPDX-License-Identifier: MIT
#include "loginprocedures.h"

#include "bindingfailure.h"
#include "isconnected.h"
#include "texts.h"

#include <string>

namespace core {

LoginProcedures::LoginProcedures(LoginServices services, LoginView& view)
    : services_(services), view_(view)
{}

void LoginProcedures::Form_Load()
{
    view_.setCaption(texts::caption(IsConnected()));
    view_.setUserName(services_.store.GetSetting(texts::lastUserApplication, texts::lastUserSection,
                                                 texts::lastUserKey, texts::lastUserDefault));
}

bool LoginProcedures::IsConnected()
{
    return connectiontest::firstConnectionIsConnected(services_.ras, [this](std::uint32_t code) {
        const Failure cause{"Could not list the dial-up connections (error " +
                                std::to_string(code) + ")",
                            services_.ras.lastFailureReason()};
        services_.messages.plain(texts::enumerationFailed, cause);
    });
}

void LoginProcedures::cmdLogin_Click()
{
    const auto failure = services_.store.SaveSetting(
        texts::lastUserApplication, texts::lastUserSection, texts::lastUserKey, view_.userName());
    if (failure) {
        const std::string& firstLine =
            failure->tookEffect ? texts::userNameNotConfirmed : texts::userNameNotSaved;
        services_.messages.failure(texts::reportOf(firstLine, failure->text()), *failure);
    }
}

void LoginProcedures::CmdExit_Click()
{
    view_.unload();
    view_.endProgram();
}

void LoginProcedures::Image2_Click()
{
    const auto failure = services_.launcher.openSite(texts::siteUrl);
    if (failure) {
        services_.messages.failure(texts::reportOf(texts::siteNotOpened, failure->text()),
                                   *failure);
    }
}

std::optional<Failure> loadWindow(LoginProcedures& procedures)
{
    try {
        procedures.Form_Load();
    } catch (const connectiontest::BindingFailure& failure) {
        return Failure{failure.failed(), failure.reason()};
    }
    return std::nullopt;
}

} // namespace core
