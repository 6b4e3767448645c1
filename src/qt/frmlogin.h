// SPDX-License-Identifier: MIT
// The login window in Qt Widgets: the program's only window on Linux. It builds the controls,
// paints the artwork and forwards clicks to the window's procedures, which do the rest.
#pragma once

#include "core/loginprocedures.h"
#include "core/loginview.h"
#include "passwordeventmask.h"

#include <QWidget>

class PictureBox;
class QLineEdit;
class QPushButton;
struct Artwork;

class FrmLogin final : public QWidget, public core::LoginView
{
    Q_OBJECT

public:
    FrmLogin(const Artwork& artwork, core::LoginServices services);

    // Form_Load and the click procedures.
    core::LoginProcedures& procedures() { return procedures_; }

    void setCaption(const std::string& caption) override;
    void setUserName(const std::string& name) override;
    std::string userName() const override;
    void unload() override;
    void endProgram() override;

private:
    core::LoginProcedures procedures_;
    // Made before the password box, so that no keystroke of it reaches a screen reader unmasked.
    PasswordEventMask passwordEventMask_;

    // Created back to front: each one lies above those made before it.
    PictureBox* Image1;
    PictureBox* Image2;
    QPushButton* cmdLogin;
    QPushButton* CmdExit;
    QLineEdit* txtUsername;
    QLineEdit* txtPassword;
};
