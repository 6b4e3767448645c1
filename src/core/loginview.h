// SPDX-License-Identifier: MIT
// What the procedures of the login window ask of the window itself. Each toolkit's FrmLogin
// implements it over its own controls.
#pragma once

#include <string>

namespace core {

class LoginView
{
public:
    virtual ~LoginView() = default;

    virtual void setCaption(const std::string& caption) = 0;
    // The user-name box's text, UTF-8.
    virtual void setUserName(const std::string& name) = 0;
    virtual std::string userName() const = 0;
    // Takes the window away.
    virtual void unload() = 0;
    // Ends the program with success; no further event is handled.
    virtual void endProgram() = 0;

protected:
    LoginView() = default;
    LoginView(const LoginView&) = default;
    LoginView& operator=(const LoginView&) = default;
};

} // namespace core
