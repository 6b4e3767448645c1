// SPDX-License-Identifier: MIT
// The identifiers of the program's resources, shared by the resource script and the window.
#ifndef CORVANE_WIN32_RESOURCES_H
#define CORVANE_WIN32_RESOURCES_H

// The icon group: the first in the file, so that Explorer shows it for the program.
#define IDI_CORVANE 1
#define IDB_BACKGROUND 101
#define IDB_BANNER 102
#define IDC_CORVANE_HAND 103

#endif
