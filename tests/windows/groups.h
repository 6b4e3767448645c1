// SPDX-License-Identifier: MIT
// The groups of checks of the Windows console test, one file each.
#pragma once

class Checks;

void checkConnectionCases(Checks& checks);
void checkRasApi32Binding(Checks& checks);
void checkVersionRecord(Checks& checks);
void checkStartDetached(Checks& checks);
