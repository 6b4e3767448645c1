// SPDX-License-Identifier: MIT
// What the login window does, whatever toolkit draws it: its load sequence and the procedures
// bound to clicks on its controls. The window forwards the clicks; the procedures talk to the
// window and to the world outside it through small interfaces.
#pragma once

#include "failure.h"
#include "loginview.h"
#include "mdconnectiontest.h"
#include "messages.h"
#include "settingsstore.h"
#include "sitelauncher.h"

#include <optional>

namespace core {

// What the procedures ask of the world outside the window. The owner keeps these alive while the
// procedures are.
struct LoginServices
{
    SettingsStore& store;
    mdConnectionTest::RasApi& ras;
    SiteLauncher& launcher;
    Messages& messages;
};

class LoginProcedures
{
public:
    LoginProcedures(LoginServices services, LoginView& view);

    // The load sequence, run once before the window is first shown: the dial-up state into the
    // title, the remembered user name into its box. A dial-up function that cannot be bound
    // raises connectiontest::BindingFailure, which nothing here traps.
    void Form_Load();

    // Login: remembers the user-name box's text, exactly as it is.
    void cmdLogin_Click();
    // Exit: takes the window away and ends the program.
    void CmdExit_Click();
    // The banner: opens the product's web site.
    void Image2_Click();

private:
    bool IsConnected();

    LoginServices services_;
    LoginView& view_;
};

// Runs Form_Load as the start does: a dial-up function that cannot be bound stops it, and the
// failure is returned for the start-up report. Anything else raised passes through.
std::optional<Failure> loadWindow(LoginProcedures& procedures);

} // namespace core
