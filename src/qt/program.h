// SPDX-License-Identifier: MIT
#pragma once

#include "app/failure.h"
#include "ui/artwork.h"

#include <variant>

class QApplication;

// Starts the login window with the decoded artwork and runs it until it goes; returns the
// process's exit status.
int runProgram(QApplication& application, std::variant<ArtworkImages, Failure> artworkImages);
