// SPDX-License-Identifier: MIT
// The modal message boxes of the login window, all titled with the application's title.
#pragma once

#include <QString>

class QWidget;

class Messages
{
public:
    virtual ~Messages() = default;

    // A plain box: the text, an OK button and no icon.
    virtual void plain(QWidget* parent, const QString& text) = 0;

    // A box that reports something that failed, with the platform's warning icon.
    virtual void failure(QWidget* parent, const QString& text) = 0;

protected:
    Messages() = default;
    Messages(const Messages&) = default;
    Messages& operator=(const Messages&) = default;
};
