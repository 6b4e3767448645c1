// SPDX-License-Identifier: MIT
// The start's work that needs no display, done on a thread of its own while the toolkit loads
// and connects to the display.
#pragma once

#include "artwork.h"
#include "core/failure.h"

#include <future>
#include <variant>

// Decodes the artwork and loads the system's font configuration. Call it before the application
// object is made, and take the result before the first widget is: the toolkit then finds the
// font configuration loaded instead of loading it on the GUI thread itself.
std::future<std::variant<ArtworkImages, core::Failure>> prepareStart();
