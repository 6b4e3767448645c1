// SPDX-License-Identifier: MIT
// The login window: the program's only window.
#pragma once

#include "passwordeventmask.h"

#include <QWidget>

namespace mdConnectionTest {
class RasApi;
}
class Messages;
class PictureBox;
class QLineEdit;
class QPushButton;
class SettingsStore;
class SiteLauncher;
struct Artwork;

// What the window asks of the world outside it. The owner keeps these alive while the window is.
struct LoginServices
{
    SettingsStore& store;
    mdConnectionTest::RasApi& ras;
    SiteLauncher& launcher;
    Messages& messages;
};

class FrmLogin final : public QWidget
{
    Q_OBJECT

public:
    FrmLogin(const Artwork& artwork, LoginServices services, QWidget* parent = nullptr);

    // The load sequence, run once before the window is first shown: the dial-up state into the
    // title, the remembered user name into its box.
    void Form_Load();

private:
    bool IsConnected();

    void cmdLogin_Click();
    void CmdExit_Click();
    void Image2_Click();

    LoginServices services_;
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
