// SPDX-License-Identifier: MIT
#pragma once

#include "core/messages.h"

class QWidget;

// The real message boxes: modal QMessageBoxes that wait for the user. Each also writes its cause
// as one line on stderr.
class MessageBoxes final : public core::Messages
{
public:
    // The window that failure boxes belong to.
    void setOwner(QWidget* owner) { owner_ = owner; }

    void plain(const std::string& text, const core::Failure& cause) override;
    void failure(const std::string& text, const core::Failure& cause) override;

private:
    QWidget* owner_ = nullptr;
};
