// SPDX-License-Identifier: MIT
// The words the program shows, the same in every window: captions, the last-user entry and its
// default, and the texts of its message boxes. UTF-8.
#pragma once

#include "identity.h"

#include <string>

namespace core::texts {

inline const std::string applicationTitle = identity::applicationTitle;
inline const std::string siteUrl = identity::siteUrl;

// The title's status word: the first dial-up connection is up, or it is not.
inline const std::string online = "(Online)";
inline const std::string offline = "(Offline)";

// The whole title: the application's title, one blank, the status word.
inline std::string caption(bool connected)
{
    return applicationTitle + ' ' + (connected ? online : offline);
}

// The only box with no icon: the dial-up connections could not be listed.
inline const std::string enumerationFailed = "ERROR";

// The last-user entry, and what the user-name box shows when none was ever stored.
inline const std::string lastUserApplication = applicationTitle;
inline const std::string lastUserSection = "General";
inline const std::string lastUserKey = "LastUser";
inline const std::string lastUserDefault = "Username";

// The buttons' captions, and the names a screen reader gives the other controls.
inline const std::string loginCaption = "Login";
inline const std::string exitCaption = "Exit";
inline const std::string userNameBoxName = "Username";
inline const std::string passwordBoxName = "Password";
inline const std::string bannerName = "Corvane web site";
inline const std::string bannerDescription = "Opens " + siteUrl + " in the web browser";

// The first lines of the boxes that report a failure; the failure's own text follows.
inline const std::string userNameNotSaved = "The user name was not saved.";
inline const std::string userNameNotConfirmed =
    "The user name was stored, but " + applicationTitle + " could not confirm it reached the disk.";
inline const std::string siteNotOpened = "The web site could not be opened.";
inline const std::string startupFailed = applicationTitle + " failed to start and will close.";

// A failure box's whole text: what did not happen, a blank line, what failed and why.
inline std::string reportOf(const std::string& firstLine, const std::string& failureText)
{
    return firstLine + "\n\n" + failureText;
}

} // namespace core::texts
