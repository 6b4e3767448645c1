// SPDX-License-Identifier: MIT
#pragma once

#include "artwork.h"
#include "core/failure.h"
#include "platform/platformservices.h"

#include <variant>

class QApplication;

// Starts the login window with the decoded artwork and the platform's services and runs it until
// it goes; returns the process's exit status.
int runProgram(QApplication& application, std::variant<ArtworkImages, core::Failure> artworkImages,
               platform::PlatformServices& platform);

// Ends the process with `status` once the window is gone, without taking the toolkit down: there
// is nothing left to save, and Qt 6.4's Wayland plugin can wait forever at that point for an event
// thread that is itself waiting on a read nobody will finish.
[[noreturn]] void endProcess(int status);
