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
