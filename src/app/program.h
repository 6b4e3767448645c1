// SPDX-License-Identifier: MIT
#pragma once

class QApplication;

// Starts the login window and runs it until it goes; returns the process's exit status.
int runProgram(QApplication& application);
