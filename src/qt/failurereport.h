// SPDX-License-Identifier: MIT
// How failures reach the user: one line on stderr, and at start-up a modal box as well.
#pragma once

#include "core/failure.h"

// Writes "corvane: <what failed>: <why>" as one line on stderr, the failure's bytes as they are.
void printFailure(const core::Failure& failure);

// The standard report of a failure that ends the program before its window is shown: the line on
// stderr, then a modal box that says the program failed and why.
void reportStartupFailure(const core::Failure& failure);
