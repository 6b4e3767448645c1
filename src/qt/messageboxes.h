// SPDX-License-Identifier: MIT
#pragma once

#include "messages.h"

// The real message boxes: modal QMessageBoxes that wait for the user.
class MessageBoxes final : public Messages
{
public:
    void plain(QWidget* parent, const QString& text) override;
    void failure(QWidget* parent, const QString& text) override;
};
